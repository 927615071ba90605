#include "ArchiverOptions.h"

namespace mv {

const std::string& NotSetText() {
    static const std::string text(1, '\0');
    return text;
}

void TArchiverOptions::Reset() {
    for (int8_t* sw :
         {&a,   &c,   &e,   &f,   &h,   &i,   &l,   &m,   &n,   &o,  &p,   &r,   &s,   &t,   &u,
          &x,   &y,   &z,   &jc,  &jd,  &je,  &jf,  &jh,  &ji,  &jm, &jn,  &jp,  &jr,  &jsb, &jsc,
          &jsd, &jse, &jsf, &jsl, &jso, &jss, &jst, &jsv, &jsz, &jw, &jyc, &jyd, &jyk, &jyn, &jyo,
          &ga,  &gd,  &ge,  &gf,  &gj,  &gm,  &gn,  &go,  &gp,  &gs, &gu,  &gw})
        *sw = -1;
    for (std::string* text : {&w, &jo, &job, &jz, &gr})
        *text = NotSetText();
    jx.clear();
    UserOptions.clear();
    UserFileList.clear();
    ResFileName.clear();
    PackFilter = pfComponent;
    ResFileUsage = {ruOnPack, ruOnUnpack, ruOnRemoveItem};
}

} // namespace mv
