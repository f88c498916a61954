s = 0;
tic;
for i=1:1000000 s += i * 2; end
printf("%g\n", toc * 1000);
