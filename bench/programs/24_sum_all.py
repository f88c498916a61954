# s = sum(sum(A)) of a 2000 x 2000 matrix, ten times over.
import time
import numpy as np
A = np.random.rand(2000, 2000)
t = time.perf_counter()
for k in range(10): s = A.sum(axis=0).sum()
print("%g" % ((time.perf_counter() - t) * 1000))
