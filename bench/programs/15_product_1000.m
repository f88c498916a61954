A = rand(1000, 1000);
tic;
C = A * A;
printf("%g\n", toc * 1000);
