#include "LhaArchiver.h"

#include "ArchiverErrors.h"
#include "CommandOptions.h"

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace mv {
namespace {

std::unique_ptr<TArchiverDll> gLhaDll;
std::unique_ptr<TArchiverDll> gArjDll;

void nums(TCmdOpt& cmd, std::initializer_list<std::pair<const char*, int>> switches) {
    for (auto [name, value] : switches)
        cmd.AddNumOption(name, value);
}

} // namespace

std::string LhaCommandLine(const std::string& word, const std::string& arcFile,
                           const std::vector<std::string>& files, bool withBaseDir,
                           const std::string& baseDir, bool useResFile, const TArchiverOptions& o,
                           bool progressWindow) {
    if (word == "x" && o.jse < 0) throw EAssertionFailed(u"jse オプションが設定されていません。"_s);
    if (o.jso < 0) throw EAssertionFailed(u"jso オプションが設定されていません。"_s);

    TCmdOpt cmd;
    cmd.AddText("-+");
    nums(cmd, {{"a", o.a},
               {"c", o.c},
               {"e", o.e},
               {"f", o.f},
               {"h", o.h},
               {"i", o.i},
               {"l", o.l},
               {"m", o.m}});
    cmd.AddNumOption("n", progressWindow ? 1 : o.n);
    nums(cmd, {{"o", o.o}, {"p", o.p}, {"r", o.r}, {"s", o.s}, {"t", o.t}, {"u", o.u}});
    cmd.AddPathOption("w", o.w);
    nums(cmd, {{"x", o.x},
               {"y", o.y},
               {"z", o.z},
               {"jc", o.jc},
               {"jd", o.jd},
               {"je", o.je},
               {"jf", o.jf},
               {"jh", o.jh},
               {"ji", o.ji},
               {"jm", o.jm},
               {"jn", o.jn}});
    cmd.AddStrOption("jo", o.jo);
    cmd.AddStrOption("job", o.job);
    nums(cmd, {{"jp", o.jp},
               {"jr", o.jr},
               {"jsb", o.jsb},
               {"jsc", o.jsc},
               {"jsd", o.jsd},
               {"jse", o.jse},
               {"jsf", o.jsf},
               {"jsl", o.jsl},
               {"jso", o.jso},
               {"jss", o.jss},
               {"jst", o.jst},
               {"jsv", o.jsv},
               {"jsz", o.jsz},
               {"jw", o.jw}});
    cmd.AddFileList("jx", o.jx);
    nums(cmd, {{"jyc", o.jyc}, {"jyd", o.jyd}, {"jyk", o.jyk}, {"jyn", o.jyn}, {"jyo", o.jyo}});
    cmd.AddStrOption("jz", o.jz);
    nums(cmd, {{"ga", o.ga},
               {"gd", o.gd},
               {"ge", o.ge},
               {"gf", o.gf},
               {"gj", o.gj},
               {"gm", o.gm},
               {"gn", o.gn},
               {"go", o.go},
               {"gp", o.gp}});
    cmd.AddStrOption("gr", o.gr);
    nums(cmd, {{"gs", o.gs}, {"gu", o.gu}, {"gw", o.gw}});
    cmd.AddText(o.UserOptions);

    cmd.AddStrOption({}, arcFile);
    if (withBaseDir) cmd.AddPathOption({}, baseDir);
    if (useResFile && !o.ResFileName.empty() && !IsNotSet(o.ResFileName))
        cmd.AddResponseFile(files, o.ResFileName);
    else
        cmd.AddFileList({}, files);
    cmd.AddText(o.UserFileList);
    return word + cmd.Text();
}

TArchiverDll* TLha32::SharedDll() {
    return gLhaDll.get();
}

TArchiverDll& TLha32::Dll() {
    if (!gLhaDll) gLhaDll = std::make_unique<TArchiverDll>("LHA 形式書庫", "Unlha", "UNLHA32.DLL");
    return *gLhaDll;
}

TArchiverDll& TArj32::Dll() {
    if (!gArjDll) gArjDll = std::make_unique<TArchiverDll>("ARJ 形式書庫", "Unarj", "UNARJ32J.DLL");
    return *gArjDll;
}

void TLha32::LoadDLL() {
    Dll().Load();
}

void TLha32::FreeDLL() {
    Dll().Unload();
}

int TLha32::Execute(const char* word, void* owner, const std::string& arcFile,
                    TOutputBuffer& output, bool useResFile, const std::vector<std::string>& files,
                    bool withBaseDir, const std::string& baseDir, const TArchiverOptions& options) {
    commandLine_.clear();
    const std::string line = LhaCommandLine(word, arcFile, files, withBaseDir, baseDir, useResFile,
                                            options, progressRegistered_);
    return Run(Dll(), owner, line, output);
}

int TLha32::ExtractFiles(void* owner, const std::string& arcFile, TOutputBuffer& output,
                         bool useResFile, const std::vector<std::string>& files,
                         const std::string& baseDir, const TArchiverOptions& options) {
    return Execute("x", owner, arcFile, output, useResFile, files, true, baseDir, options);
}

int TLha32::PackFiles(void* owner, const std::string& arcFile, TOutputBuffer& output,
                      bool useResFile, const std::vector<std::string>& files,
                      const std::string& baseDir, const TArchiverOptions& options) {
    return Execute("u", owner, arcFile, output, useResFile, files, true, baseDir, options);
}

int TLha32::RemoveItems(void* owner, const std::string& arcFile, TOutputBuffer& output,
                        bool useResFile, const std::vector<std::string>& files,
                        const TArchiverOptions& options) {
    return Execute("d", owner, arcFile, output, useResFile, files, false, {}, options);
}

int TLha32::UpdateFiles(void* owner, const std::string& arcFile, TOutputBuffer& output,
                        bool useResFile, const std::vector<std::string>& files,
                        const std::string& baseDir, const TArchiverOptions& options) {
    return Execute("f", owner, arcFile, output, useResFile, files, true, baseDir, options);
}

int TLha32::MakeSfx(void* owner, const std::string& arcFile, TOutputBuffer& output,
                    const std::string& baseDir, const TArchiverOptions& options) {
    return Execute("s", owner, arcFile, output, false, {}, true, baseDir, options);
}

void TLha32::SetOwnerWindow(void* window, ARCHIVERPROC proc) {
    // Registered only when the library accepted it, so -n1 is sent only to a library that
    // will report progress itself.
    Dll().SetOwnerWindowEx(window, proc);
    TArchiver::SetOwnerWindow(window, proc);
}

void TLha32::RemoveOwnerWindow() {
    const bool registered = progressRegistered_;
    void* window = ownerWindow_;
    TArchiver::RemoveOwnerWindow();
    if (registered) Dll().KillOwnerWindowEx(window);
}

} // namespace mv
