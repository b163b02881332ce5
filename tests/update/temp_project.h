#pragma once
// The current project for a window test: PROJECTS/Pump Two, with its bin
// folder, beside an executable in a temporary folder. The project that was
// current comes back at the end.
#include "app/project_globals.h"
#include "support/temp_dir.h"

#include <filesystem>

namespace gwtest {

class TempProject {
public:
    explicit TempProject(const TempDir& exe) : saved_(gw::Project) {
        gw::Project.ExeDir = exe.Path();
        gw::Project.MasterDir = exe / "MASTER";
        gw::Project.ProjectsDir = exe / "PROJECTS";
        gw::Project.ProjectName = "/Pump Two";
        gw::Project.ProjectDir = exe / "PROJECTS/Pump Two";
        std::filesystem::create_directories(gw::Project.ProjectDir + "/bin");
    }
    ~TempProject() { gw::Project = saved_; }
    TempProject(const TempProject&) = delete;
    TempProject& operator=(const TempProject&) = delete;

private:
    gw::ProjectPaths saved_;
};

} // namespace gwtest
