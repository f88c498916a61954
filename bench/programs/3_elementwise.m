x = [1:1000000];
tic;
for k=1:10 z = x .* x + x; end
printf("%g\n", toc * 1000);
