// The desktop portal refuses callers it cannot look into (it reads /proc/PID/root to tell a
// sandboxed program from a host one), which root's processes are to an unprivileged portal.
// As root, this program therefore becomes the desktop's user before anything else starts.
#include <gtest/gtest.h>
#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (::geteuid() == 0) {
        const passwd* user = getpwnam("nobody");
        const group* grp = getgrnam("nogroup");
        if (!user || !grp || setgroups(0, nullptr) != 0 || setgid(grp->gr_gid) != 0 ||
            setuid(user->pw_uid) != 0)
            return 2;
        // Changing the user made the process's /proc entry root's; the portal must read it.
        prctl(PR_SET_DUMPABLE, 1);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
