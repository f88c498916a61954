# Elements of a 1000 x 1000 matrix read and written one by one, then a column and a block.
import time
import numpy as np
A = np.random.rand(1000, 1000)
t = time.perf_counter()
for i in range(1000):
    for j in range(1000): A[i, j] = A[i, j] * 2
c = A[0:1000, 16]
b = A[100:900, 100:900]
L = A > 1
print("%g" % ((time.perf_counter() - t) * 1000))
