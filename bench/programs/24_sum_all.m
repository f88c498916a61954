A = rand(2000, 2000);
tic;
for k=1:10 s = sum(sum(A)); end
printf("%g\n", toc * 1000);
