A = rand(2000, 2000);
C = rand(2000, 2000);
tic;
for k=1:5 L = A > C; end
printf("%g\n", toc * 1000);
