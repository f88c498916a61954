A = rand(300, 300);
tic;
B = inv(A);
e = eig(A);
s = svd(A);
printf("%g\n", toc * 1000);
