1;
function r = add2(a, b)
    r = a + b;
end

s = 0;
tic;
for i=1:100000 s = add2(s, i); end
printf("%g\n", toc * 1000);
