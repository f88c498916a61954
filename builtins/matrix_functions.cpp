// Placeholders until the handlers are built.
#include "builtins/matrix_functions.h"

StatusWord BuiltinSvd(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinSvd0(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinSvdValues(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinPinv(CValue* /*x*/, CValue* /*tol*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinSchur(CValue* /*x*/, CValue* /*flg*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinSchurT(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinHess(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinQr(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinQrQR(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinQrQRE(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinChol(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinCholRP(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinEig(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinEigValues(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinEig2(CValue* /*x*/, CValue* /*y*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinEig2Values(CValue* /*x*/, CValue* /*y*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinRcond(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinQz(CValue* /*x*/, CValue* /*y*/, CValue* /*flg*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinDet(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinInv(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinNorm(CValue* /*x*/, CValue* /*p*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinCond(CValue* /*x*/, CValue* /*p*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinRank(CValue* /*x*/, CValue* /*tol*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinOrth(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinLu(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinSvdOld(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinEign(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinEignValues(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinExpm(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinLogm(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinSqrtm(CValue* /*x*/, CValue* /*out*/) { return ERR_INTERNAL; }
StatusWord BuiltinFunm(CValue* /*x*/, CValue* /*fun*/, CValue* /*out*/, StatementContext* /*context*/) { return ERR_INTERNAL; }
StatusWord BuiltinFevam(CValue* /*x*/, CValue* /*fun*/, CValue* /*out*/, StatementContext* /*context*/) { return ERR_INTERNAL; }
