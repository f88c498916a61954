A = rand(2000, 2000);
tic;
for k=1:5 L = A > 0.5; end
printf("%g\n", toc * 1000);
