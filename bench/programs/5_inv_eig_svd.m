A = rand(300, 300);
B = inv(A);
e = eig(A);
s = svd(A);
