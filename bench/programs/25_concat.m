A = rand(2000, 2000);
tic;
for k=1:5 D = [A, A]; end
printf("%g\n", toc * 1000);
