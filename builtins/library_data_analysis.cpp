// The "Data Analysis" library: the Fourier transforms.
#include "builtins/fft_functions.h"
#include "builtins/libraries.h"

namespace {

FuncEntry g_rows[] = {
    {"fft2n", -1, 1, AsFuncHandler(BuiltinFft2n), CALL_VECTOR,
     "Returns the discrete Fourier transform (DFT) of rows X, computed with a fast Fourier transform (FFT) "
     "algorithm. Number of columns must be a multiply by 2^n",
     "fft2n(X)", 0, nullptr},
    {"ifft2n", -1, 1, AsFuncHandler(BuiltinIfft2n), CALL_VECTOR,
     "Returns the inverse discrete Fourier transform (DFT) of rows X, computed with a fast Fourier transform "
     "(FFT) algorithm. Number of columns must be a multiply by 2^n",
     "ifft2n(X)", 0, nullptr},
    {"fft", 1, 1, AsFuncHandler(BuiltinFft), CALL_A1,
     "Y=fft(X);\r\nReturns the discrete Fourier transform (DFT) of rows X, computed with a fast Fourier "
     "transform (FFT) algorithm",
     "fft(X)", 0, nullptr},
    {"ifft", 1, 1, AsFuncHandler(BuiltinIfft), CALL_A1,
     "Y=ifft(X);\r\nReturns the inverse discrete Fourier transform (DFT) of rows X, computed with a fast "
     "Fourier transform (FFT) algorithm",
     "ifft(X)", 0, nullptr},
};

}  // namespace

FuncLibrary DataAnalysisLibrary = {
    "Data Analysis", g_rows, (int32_t)(sizeof(g_rows) / sizeof(g_rows[0])), nullptr, 0,
};
