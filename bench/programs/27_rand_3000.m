
tic;
A = rand(3000, 3000);
printf("%g\n", toc * 1000);
