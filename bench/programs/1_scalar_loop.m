s = 0;
for i=1:1000000 s += i * 2; end
