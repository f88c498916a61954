x = rand(1, 1048576);
y = fft(x);
