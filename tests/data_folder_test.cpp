// Where the programs find dats/: the folder --data names, else the working
// folder, else the data installed beside the executable; one message naming
// every folder tried when none holds it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "runtime/data_folder.h"
#include "tests/support.h"

namespace {
std::string folder_with_dats(const std::string& name) {
    const std::string folder = scratch_path(name);
    mkdir(folder.c_str(), 0700);
    if (name != "bare") mkdir((folder + "/dats").c_str(), 0700);
    return folder;
}

// Chooses from inside `working`, then goes back.
bool choose_from(const std::string& working, const std::string& requested, const std::string& installed,
                 std::string* root, std::string* problem) {
    char here[4096];
    if (!getcwd(here, sizeof here) || chdir(working.c_str()) != 0) return false;
    const bool found = choose_data_folder(requested, installed, root, problem);
    return chdir(here) == 0 && found;
}
} // namespace

TEST(DataFolder, RequestedThenWorkingThenInstalled) {
    const std::string bare = folder_with_dats("bare"), working = folder_with_dats("working");
    const std::string installed = folder_with_dats("installed"), requested = folder_with_dats("requested");
    std::string root = "unset", problem;

    ASSERT_TRUE(choose_from(working, "", installed, &root, &problem));
    EXPECT_EQ(root, "");
    ASSERT_TRUE(choose_from(bare, "", installed, &root, &problem));
    EXPECT_EQ(root, installed);
    ASSERT_TRUE(choose_from(working, requested, installed, &root, &problem));
    EXPECT_EQ(root, requested);

    // --data is taken alone: a folder without dats/ is not passed over.
    EXPECT_FALSE(choose_from(working, bare, installed, &root, &problem));
    EXPECT_NE(problem.find("--data " + bare), std::string::npos) << problem;

    EXPECT_FALSE(choose_from(bare, "", bare + "/share/vavurava-rive", &root, &problem));
    EXPECT_NE(problem.find("(" + bare + ")"), std::string::npos) << problem;
    EXPECT_NE(problem.find("(" + bare + "/share/vavurava-rive)"), std::string::npos) << problem;
}

TEST(DataFolder, NamesAreOpenedUnderTheRootAndTheInstalledFolderIsBesideBin) {
    EXPECT_EQ(installed_data_folder("/opt/show/bin/vavurava-rive"), "/opt/show/share/vavurava-rive");
    EXPECT_EQ(installed_data_folder(""), "");
    const std::string saved = data_root;
    data_root = "";
    EXPECT_EQ(data_path("dats/zad2.ogg"), "dats/zad2.ogg");
    data_root = "/usr/share/vavurava-rive";
    EXPECT_EQ(data_path("dats/zad2.ogg"), "/usr/share/vavurava-rive/dats/zad2.ogg");
    EXPECT_EQ(data_path("/tmp/x.jpg"), "/tmp/x.jpg");
    data_root = saved;
}

// The programs stop before start-up with status 1 and one line.
TEST(DataFolder, WithNoDatsTheProgramsSayWhereTheyLooked) {
    const std::string bare = folder_with_dats("bare");
    for (const std::string command : {"vavurava-capture --frame 0 -o x.png", "vavurava-rive --window"}) {
        int status = 0;
        const std::string err =
            command_output("cd " + bare + " && " VAVURAVA_BUILD_DIR "/" + command + " 2>&1 >/dev/null", &status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << command << ": " << err;
        EXPECT_NE(err.find("no dats/ folder in the working folder (" + bare + ")"), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
}
