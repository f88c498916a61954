x = rand(1, 20000);
tic;
y = sort(x);
printf("%g\n", toc * 1000);
