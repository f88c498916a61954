x = rand(1, 1000000);
tic;
for k=1:10 s = sum(x); c = cumsum(x); end
printf("%g\n", toc * 1000);
