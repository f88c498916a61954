# B = A * A of a 1000 x 1000 matrix, three times over.
import time
import numpy as np
A = np.random.rand(1000, 1000)
t = time.perf_counter()
for k in range(3): B = A @ A
print("%g" % ((time.perf_counter() - t) * 1000))
