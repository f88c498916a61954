A = rand(1000, 1000);
b = rand(1000, 1);
tic;
for k=1:3 x = A \ b; end
printf("%g\n", toc * 1000);
