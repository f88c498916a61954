x = rand(1, 1000000);
tic;
for k=1:5 y = sin(x) + exp(x); end
printf("%g\n", toc * 1000);
