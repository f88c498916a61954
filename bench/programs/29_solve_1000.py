# x = solve(A, b) of a 1000 x 1000 system, three times over.
import time
import numpy as np
A = np.random.rand(1000, 1000)
b = np.random.rand(1000, 1)
t = time.perf_counter()
for k in range(3): x = np.linalg.solve(A, b)
print("%g" % ((time.perf_counter() - t) * 1000))
