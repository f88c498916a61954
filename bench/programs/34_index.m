A = rand(1000, 1000);
tic;
for i=1:1000 for j=1:1000 A(i, j) = A(i, j) * 2; end end
c = A(1:1000, 17);
b = A(101:900, 101:900);
L = A > 1;
printf("%g\n", toc * 1000);
