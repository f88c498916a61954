str = "";
tic;
for i=1:20000 str = [str "a"]; end
printf("%g\n", toc * 1000);
