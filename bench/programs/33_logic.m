A = rand(2000, 2000);
B = A > 0.5;
C = A < 0.3;
tic;
for k=1:5 L = !B & C | B; end
printf("%g\n", toc * 1000);
