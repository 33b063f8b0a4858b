#include "support/Unprivileged.h"

#include <QProcess>
#include <QTest>

#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace nw::test {

void asUnprivileged(const std::function<void()>& body) {
    if (::geteuid() != 0) { // permission bits hold already
        body();
        return;
    }
    const passwd* nobody = ::getpwnam("nobody");
    QVERIFY2(nobody, "there is no user nobody to run as");
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    // What is buffered now would otherwise be written twice.
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    QVERIFY2(pid >= 0, "fork failed");
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) {
            std::perror("asUnprivileged");
            ::_exit(2);
        }
        body();
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(QTest::currentTestFailed() ? 1 : 0);
    }
    int status = 0;
    QCOMPARE(::waitpid(pid, &status, 0), pid);
    QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the part run as nobody failed");
}

void makeUnprivileged(QProcess& process) {
    if (::geteuid() != 0)
        return;
    process.setArguments(QStringList{QStringLiteral("--reuid=nobody"),
                                     QStringLiteral("--regid=nogroup"),
                                     QStringLiteral("--clear-groups"), process.program()} +
                         process.arguments());
    process.setProgram(QStringLiteral("setpriv"));
}

} // namespace nw::test
