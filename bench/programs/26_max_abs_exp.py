# max, abs and exp of a 1 x 1e7 vector.
import time
import numpy as np
x = np.random.rand(1, 10000000) - 0.5
t = time.perf_counter()
m = x.max(); a = np.abs(x); e = np.exp(x)
print("%g" % ((time.perf_counter() - t) * 1000))
