x = rand(1, 1048576);
tic;
y = fft(x);
printf("%g\n", toc * 1000);
