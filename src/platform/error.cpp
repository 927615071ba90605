#include "error.h"

#include "codepage.h"

namespace mv {

Error cannotWriteError(const std::string& path) {
    return Error(QStringLiteral("%1 に書き込めません").arg(toQt(path)));
}

} // namespace mv
