// Which import program the runner starts: only one that no other user can change.
#include "programtrust.h"

#include "tempfolder.h"

#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace corvane;

TEST(ProgramTrust, OnlyAProgramNoOtherUserCanChangeIsStarted)
{
    struct Case {
        const char* name;
        QFile::Permissions writable; // write bits beyond the owner's
        uid_t owner;
        uint user;
        const char* reasonPart; // empty: trusted
    };
    const Case cases[] = {
        {"own", {}, 1000, 1000, ""},
        {"root's", {}, 0, 1000, ""}, // an installed program
        {"another user's", {}, 65534, 1000, "ほかのユーザー（ユーザーID 65534）のもの"},
        {"group-writable", QFile::WriteGroup, 1000, 1000, "ほかのユーザーも書き換えられる"},
        {"world-writable", QFile::WriteOther, 0, 1000, "ほかのユーザーも書き換えられる"},
    };
    test::TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder.file(QString::fromUtf8(c.name));
        folder.writeBytes(QString::fromUtf8(c.name), "#!/bin/sh\n");
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), c.owner, c.owner), 0);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                        | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther | c.writable);
        const QString reason = untrustedProgramReason(path, c.user);
        EXPECT_TRUE(QString::fromUtf8(c.reasonPart).isEmpty() ? reason.isEmpty()
                                                              : reason.contains(QString::fromUtf8(c.reasonPart)))
            << reason.toStdString();
        // A link is as trustworthy as the file it leads to, though the link's own mode is 0777.
        const QString link = path + QStringLiteral(".link");
        ASSERT_TRUE(QFile::link(path, link));
        EXPECT_EQ(untrustedProgramReason(link, c.user), QString(reason).replace(path, link));
    }
    EXPECT_TRUE(untrustedProgramReason(folder.file(QStringLiteral("missing")), 1000).contains(u"確かめられない"));
}
