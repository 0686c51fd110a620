// What each step of a safe small-file copy costs on a loopback Samba server,
// measured with bare libsmbclient calls beside smbclient's mput in one run.
//
// A copy that keeps the old target whole and the source's write time needs,
// beyond smbclient's create-write-close, a rename of the part file and a
// write-time change; libsmbclient does both by path, so each opens the file
// on the server once more. This shows how far a copy made of those calls can
// get, whatever the code around them does.
//
// Usage: tarvo_smb_step_bench [COUNT] [rounds=N]
#include "bench/BenchSupport.h"
#include "tests/support/SambaServer.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <libsmbclient.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray g_password;

void answerLogon(SMBCCTX*, const char*, const char*, char*, int, char* user, int userLength,
                 char* password, int passwordLength)
{
    std::snprintf(user, size_t(userLength), "%s", tarvo::test::SambaServer::UserName);
    std::snprintf(password, size_t(passwordLength), "%s", g_password.constData());
}

SMBCCTX* newContext()
{
    SMBCCTX* context = smbc_new_context();
    smbc_setDebug(context, 0);
    smbc_setOptionUseKerberos(context, false);
    smbc_setOptionFallbackAfterKerberos(context, true);
    smbc_setOptionNoAutoAnonymousLogin(context, true);
    smbc_setFunctionAuthDataWithContext(context, answerLogon);
    smbc_init_context(context);
    return context;
}

enum Step { Plain = 0, Rename = 1, Times = 2, Look = 4, SideFolder = 8 };

// One file put with the steps asked for; false when a call failed.
bool put(SMBCCTX* c, const QByteArray& folder, int index, int steps, const char* data, int size)
{
    const QByteArray name = folder + "/f" + QByteArray::number(index) + ".txt";
    const QByteArray partFolder = (steps & SideFolder) ? folder + "/.parts" : folder;
    const QByteArray part =
        (steps & Rename) ? partFolder + "/.part" + QByteArray::number(index) : name;
    SMBCFILE* file =
        smbc_getFunctionOpen(c)(c, part.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (!file)
        return false;
    bool ok = smbc_getFunctionWrite(c)(c, file, data, size_t(size)) == size;
    ok = smbc_getFunctionClose(c)(c, file) == 0 && ok;
    if (steps & Look) {
        struct stat status;
        ok = smbc_getFunctionStat(c)(c, name.constData(), &status) != 0 && errno == ENOENT && ok;
    }
    if (steps & Times) {
        timeval times[2] = {{1600000000, 0}, {1600000000, 123456}};
        ok = smbc_getFunctionUtimes(c)(c, part.constData(), times) == 0 && ok;
    }
    if (steps & Rename)
        ok = smbc_getFunctionRename(c)(c, part.constData(), c, name.constData()) == 0 && ok;
    return ok;
}

// The same puts split over several processes, each with its own connection:
// how far running copies side by side can take them on this machine.
bool putInProcesses(int processes, const QByteArray& folder, int count, int steps, const char* data,
                    int size)
{
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p) {
        const pid_t child = fork();
        if (child == 0) {
            SMBCCTX* context = newContext();
            bool ok = true;
            for (int i = p; i < count; i += processes)
                ok = put(context, folder, i, steps, data, size) && ok;
            _exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    bool ok = true;
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return ok;
}

double seconds(const std::function<void()>& run)
{
    QElapsedTimer timer;
    timer.start();
    run();
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int count = 2000;
    int rounds = 3;
    for (const QString& argument : app.arguments().mid(1)) {
        if (argument.startsWith("rounds="))
            rounds = qMax(1, argument.mid(7).toInt());
        else if (argument.toInt() > 0)
            count = argument.toInt();
    }
    tarvo::test::SambaServer samba;
    if (!samba.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(samba.error()));
        return 1;
    }
    g_password = samba.password().toUtf8();
    QTemporaryDir work(QDir::homePath() + "/.tarvo-bench-XXXXXX");
    const QString device = work.filePath("small");
    QDir().mkpath(device);
    for (int i = 0; i < count; ++i)
        tarvo::bench::MakeFile(device + QString("/f%1.txt").arg(i), 4096);
    const QString auth = tarvo::bench::WriteSmbclientAuth(work.filePath("auth"), samba);
    const QString onServer = samba.shareFolder() + "/steps";
    const QByteArray url = "smb://127.0.0.1:" + QByteArray::number(samba.port()) + "/share/steps";
    const QByteArray data(4096, 'x');
    SMBCCTX* context = newContext();

    struct Case
    {
        const char* name;
        int steps;
        int processes = 1;
    };
    const Case cases[] = {{"create-write-close", Plain},
                          {"+ rename", Rename},
                          {"+ times", Times},
                          {"+ times + rename", Times | Rename},
                          {"+ look + times + rename", Look | Times | Rename},
                          {"+ times + rename, 4 at once", Times | Rename, 4},
                          {"all steps, 4 at once", Look | Times | Rename, 4},
                          {"times + rename from a side folder", Times | Rename | SideFolder},
                          {"the same, 4 at once", Times | Rename | SideFolder, 4}};
    std::vector<double> totals(std::size(cases) + 1, 0.0);
    int failures = 0;
    const auto clear = [&] {
        QDir(onServer).removeRecursively();
        QDir().mkpath(onServer + "/.parts");
        ::sync();
    };
    for (int round = 0; round < rounds; ++round) {
        clear();
        totals.back() += seconds([&] {
            tarvo::bench::RunSmbclient(samba, auth,
                                       "prompt off; lcd " + device + "; cd steps; mput *");
        });
        for (size_t k = 0; k < std::size(cases); ++k) {
            clear();
            const Case& run = cases[k];
            totals[k] += seconds([&] {
                if (run.processes > 1) {
                    failures += !putInProcesses(run.processes, url, count, run.steps,
                                                data.constData(), 4096);
                    return;
                }
                for (int i = 0; i < count; ++i)
                    failures += !put(context, url, i, run.steps, data.constData(), 4096);
            });
        }
    }
    // A logon: a new context's first call on the share.
    const int logons = 20;
    const double logonSeconds = seconds([&] {
        for (int i = 0; i < logons; ++i) {
            SMBCCTX* fresh = newContext();
            SMBCFILE* top = smbc_getFunctionOpendir(fresh)(fresh, url.constData());
            failures += !top;
            if (top)
                smbc_getFunctionClosedir(fresh)(fresh, top);
            smbc_free_context(fresh, 1);
        }
    });
    std::printf("%-34s %8.1f ms each\n", "logon (new context)", logonSeconds * 1000 / logons);
    const double theirs = count * rounds / totals.back();
    std::printf("%-34s %8.1f files/s\n", "smbclient mput", theirs);
    for (size_t k = 0; k < std::size(cases); ++k) {
        const double rate = count * rounds / totals[k];
        std::printf("%-34s %8.1f files/s  ratio %.2f\n", cases[k].name, rate, rate / theirs);
    }
    std::printf("%d failed puts\n", failures);
    smbc_free_context(context, 1);
    return failures == 0 ? 0 : 1;
}
