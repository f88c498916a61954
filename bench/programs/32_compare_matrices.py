# L = A > C on 2000 x 2000 matrices, five times over.
import time
import numpy as np
A = np.random.rand(2000, 2000)
C = np.random.rand(2000, 2000)
t = time.perf_counter()
for k in range(5): L = A > C
print("%g" % ((time.perf_counter() - t) * 1000))
