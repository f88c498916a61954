x = [1:1000000];
for k=1:10 z = x .* x + x; end
