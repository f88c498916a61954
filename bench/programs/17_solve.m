A = rand(500, 500);
b = rand(500, 1);
tic;
for k=1:5 x = A \ b; end
printf("%g\n", toc * 1000);
