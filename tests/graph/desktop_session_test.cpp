// The desktop's session: the case it edits, read from and written to input files.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DesktopSession.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

using test::TempDir;

std::string CannotRead(const std::string& name) {
    return "The file \"" + name +
           "\"could not be opened. It may be in use by another program,  or the programmer "
           "should incorporate more time.";
}

TEST(DesktopSession, KeepsItsCaseWhenTheFileCannotBeRead) {
    TempDir dir;
    DesktopSession session;
    EXPECT_EQ(session.CurrentFileName, "");
    session.Input = {"kept", "as is", "Dis", "Dar", std::vector<double>(13, 2.5)};
    session.CurrentFileName = dir.File("missing.inp");
    const InputReadResult read = session.ReadInputFile();
    EXPECT_EQ(read.Messages, std::vector<std::string>{CannotRead(session.CurrentFileName)});
    EXPECT_EQ(session.Input.Title1, "kept");
    EXPECT_EQ(session.Input.Values, std::vector<double>(13, 2.5));

    // written and read back through the session
    const std::string name = dir.File("session.inp");
    EXPECT_EQ(session.WriteInputFile(name).Status, FileStatus::Ok);
    session.Input = {};
    session.CurrentFileName = name;
    EXPECT_EQ(session.ReadInputFile().Status, FileStatus::Ok);
    EXPECT_EQ(session.Input.Title2, "as is");
    EXPECT_EQ(session.Input.AimCode, "Dis");
    EXPECT_EQ(session.Input.Values, std::vector<double>(13, 2.5));
}

}  // namespace
}  // namespace pelorin
