x = rand(1, 1000000);
tic;
y = sort(x);
printf("%g\n", toc * 1000);
