# A = rand(3000, 3000).
import time
import numpy as np

t = time.perf_counter()
A = np.random.rand(3000, 3000)
print("%g" % ((time.perf_counter() - t) * 1000))
