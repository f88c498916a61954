1;
function r = add2(a, b)
    r = a + b;
end

s = 0;
for i=1:100000 s = add2(s, i); end
