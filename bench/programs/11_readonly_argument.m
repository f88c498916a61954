1;
function y = first(x)
    y = x(1, 1);
end

A = rand(1000, 1000);
tic;
for i=1:100 y = first(A); end
printf("%g\n", toc * 1000);
