A = rand(2000, 2000);
tic;
for k=1:5 B = A + 1; end
printf("%g\n", toc * 1000);
