A = rand(1000, 1000);
tic;
for k=1:3 B = A * A; end
printf("%g\n", toc * 1000);
