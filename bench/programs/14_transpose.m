A = rand(1000, 1000);
tic;
for k=1:5 B = A'; end
printf("%g\n", toc * 1000);
