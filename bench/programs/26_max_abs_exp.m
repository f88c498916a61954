x = rand(1, 10000000) - 0.5;
tic;
m = max(x); a = abs(x); e = exp(x);
printf("%g\n", toc * 1000);
