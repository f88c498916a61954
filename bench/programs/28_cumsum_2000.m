A = rand(2000, 2000);
tic;
for k=1:3 c = cumsum(A); end
printf("%g\n", toc * 1000);
