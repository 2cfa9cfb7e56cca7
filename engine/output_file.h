// The output of a run, written beside its final name and moved into place
// when the run ends: the name holds the previous file until then, and only
// ever one run's whole output. Outputs that are not regular files (devices,
// FIFOs) are written directly.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "engine/file_io.h"

namespace delvaro {

class OutputFile {
  public:
    OutputFile() = default;
    // An output opened and never closed is abandoned: its temporary file is
    // removed and the name keeps what it held.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Looks at `name` without creating anything: follows symbolic links to
    // the file they name (which need not exist yet) and tells a regular file
    // from a device or FIFO. False, with the system's reason, when the name
    // cannot lead to a file (a loop of links).
    bool Resolve(const char* name, std::string* reason);

    // Whether `path` leads to the file that the output is to replace: the
    // same file if it exists, otherwise the same name in the same folder
    // (however either is reached: links, another mount point, "..").
    bool Replaces(const char* path) const;

    // Opens the output for binary writing. A regular file is written under a
    // temporary name in its folder, `.NAME.XXXXXX.tmp`, which
    // `onTemporary` receives (and later nullptr, once that name is gone);
    // signals are held back meanwhile, so a handler that removes the named
    // file never misses or outlives it. An existing file must be writable:
    // one that is read-only, or (on Windows) held open by another program,
    // is refused. False, with the system's reason, when nothing can be
    // written.
    bool Open(std::function<void(const char*)> onTemporary, std::string* reason);

    FILE* Stream() const { return m_stream; }

    // Closes the stream and, for a temporary file, makes its bytes durable
    // and moves it into place, keeping the permissions of the file it
    // replaces. False when any of it failed: then the name still holds the
    // previous file and the temporary file is gone.
    bool Close();

  private:
    void Abandon();
    void Forget();

    std::string m_name;        // as given
    std::string m_target;      // the file the links lead to
    bool m_exists = false;     // m_target exists
    bool m_direct = false;     // not a regular file: written in place
    FileIdentity m_identity;   // of m_target, when it exists
    FileIdentity m_folder;     // of m_target's folder
    std::string m_leaf;        // m_target's last component
    unsigned long m_mode = 0;  // m_target's permissions, when it exists
    unsigned long long m_owner = 0, m_group = 0;
    std::string m_temporary;  // empty when written directly
    std::function<void(const char*)> m_onTemporary;
    FILE* m_stream = nullptr;
};

}  // namespace delvaro
