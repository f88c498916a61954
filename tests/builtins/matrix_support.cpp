#include "matrix_support.h"

namespace mt {

StatusWord TestAsText(CValue* x, CValue* out)
{
    out->SetString(("<" + vb::CellText(*x) + ">").c_str());
    return 0;
}

namespace {

CValue g_emptyDefault[] = {CValue()};
CValue g_twoDefault[] = {CValue(2.0)};

FuncEntry g_rows[] = {
    {"svd", 1, 1, AsFuncHandler(BuiltinSvdValues), CALL_A1, "", "svd(X)", 0, nullptr},
    {"pinv", 2, 1, AsFuncHandler(BuiltinPinv), CALL_A2, "", "pinv(X)", 1, g_emptyDefault},
    {"schur", 1, 1, AsFuncHandler(BuiltinSchurT), CALL_A1, "", "schur(X)", 0, nullptr},
    {"qr", 1, 1, AsFuncHandler(BuiltinQr), CALL_A1, "", "qr(X)", 0, nullptr},
    {"chol", 1, 1, AsFuncHandler(BuiltinChol), CALL_A1, "", "chol(X)", 0, nullptr},
    {"eig", 1, 1, AsFuncHandler(BuiltinEigValues), CALL_A1, "", "eig(X)", 0, nullptr},
    {"rcond", 1, 1, AsFuncHandler(BuiltinRcond), CALL_A1, "", "rcond(X)", 0, nullptr},
    {"det", 1, 1, AsFuncHandler(BuiltinDet), CALL_A1, "", "det(X)", 0, nullptr},
    {"inv", 1, 1, AsFuncHandler(BuiltinInv), CALL_A1, "", "inv(X)", 0, nullptr},
    {"norm", 2, 1, AsFuncHandler(BuiltinNorm), CALL_A2, "", "norm(X)", 1, g_twoDefault},
    {"cond", 2, 1, AsFuncHandler(BuiltinCond), CALL_A2, "", "cond(X)", 1, g_twoDefault},
    {"rank", 2, 1, AsFuncHandler(BuiltinRank), CALL_A2, "", "rank(X)", 1, g_emptyDefault},
    {"expm", 1, 1, AsFuncHandler(BuiltinExpm), CALL_A1, "", "expm(X)", 0, nullptr},
    {"logm", 1, 1, AsFuncHandler(BuiltinLogm), CALL_A1, "", "logm(X)", 0, nullptr},
    {"sqrtm", 1, 1, AsFuncHandler(BuiltinSqrtm), CALL_A1, "", "sqrtm(X)", 0, nullptr},
    {"funm", 2, 1, AsFuncHandler(BuiltinFunm), CALL_A2_CTX, "", "funm(X,@sin)", 0, nullptr},
    {"fevam", 2, 1, AsFuncHandler(BuiltinFevam), CALL_A2_CTX, "", "fevam(X,@sin)", 0, nullptr},
    {"svd", 1, 3, AsFuncHandler(BuiltinSvd), CALL_A1, "", "[U,S,V]=svd(X)", 0, nullptr},
    {"svd0", 1, 3, AsFuncHandler(BuiltinSvd0), CALL_A1, "", "[U,S,V]=svd0(X)", 0, nullptr},
    {"chol", 1, 2, AsFuncHandler(BuiltinCholRP), CALL_A1, "", "[R,p]=chol(X)", 0, nullptr},
    {"as_text", 1, 1, AsFuncHandler(TestAsText), CALL_A1, "", "as_text(X)", 0, nullptr},
};

FuncLibrary g_library = {"Matrix Test", g_rows, (int32_t)(sizeof(g_rows) / sizeof(g_rows[0])), nullptr, 0};

}  // namespace

void RegisterMatrixTestLibrary()
{
    if (!IsRegisteredLibrary(&g_library)) RegisterFuncLibrary(&g_library);
}

}  // namespace mt
