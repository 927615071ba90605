// An archive of any bytes: the header reader, then the t command, which decodes and checks
// every entry. Both may refuse the input; neither may read out of bounds or hang.
#include "FuzzSupport.h"

#include "archive_test.h"
#include "command_line.h"
#include "error.h"
#include "file_io.h"
#include "header_reader.h"

#include <fcntl.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = mvfuzz::scratch() / "t.lzh";
    mvfuzz::writeBytes(path, mvfuzz::asText(data, size));

    bool readable = false;
    try {
        lha::FileDescriptor fd(::open(path.c_str(), O_RDONLY));
        const auto entries = lha::readArchive(fd.get(), size);
        readable = true;
        for (const auto& e : entries) {
            FUZZ_CHECK(e.offset + e.span <= size, e.path);
            FUZZ_CHECK(e.dataOffset >= e.offset && e.dataOffset + e.packedSize <= size, e.path);
        }
    } catch (const lha::LhaError&) {
    }

    try {
        const auto cl = lha::parseCommandLine("t \"" + path.string() + "\"", lha::CodePage::Utf8,
                                              lha::CodePage::Utf8);
        lha::OutputLog log;
        lha::testArchive(cl, log);
        FUZZ_CHECK(readable, "t passed an archive the reader refuses");
    } catch (const lha::LhaError&) {
    }
    return 0;
}
