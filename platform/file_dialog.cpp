#include <cstring>

#include "platform/afxdlgs.h"

namespace {

DWORD g_lastError = 0;

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool IsAbsolute(const char* path) {
#ifdef _WIN32
    return path[0] == '\\' || path[0] == '/' || (path[0] != '\0' && path[1] == ':');
#else
    return path[0] == '/';
#endif
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind(kSeparator);
    if (slash == std::string::npos) return std::string();
    // The root keeps its separator.
    return path.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace

DWORD CommDlgExtendedError() { return g_lastError; }

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName,
                         DWORD dwFlags, LPCTSTR lpszFilter, CWnd* pParentWnd)
    : CCommonDialog(pParentWnd), m_bOpenFileDialog(bOpenFileDialog) {
    m_ofn.Flags = dwFlags | OFN_ENABLEHOOK | OFN_ENABLESIZING | OFN_EXPLORER;
    m_ofn.lpstrDefExt = lpszDefExt;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName;
    if (lpszFileName != nullptr) {
        std::strncpy(m_szFileName, lpszFileName, sizeof m_szFileName - 1);
        m_szFileName[sizeof m_szFileName - 1] = '\0';
    }
    if (lpszFilter != nullptr) {
        m_strFilter = lpszFilter;
        for (char& c : m_strFilter)
            if (c == '|') c = '\0';
        m_ofn.lpstrFilter = m_strFilter.c_str();
    }
}

bool CFileDialog::StoreSelection(const std::vector<std::string>& chosen, bool multiSelect,
                                 char* buffer, DWORD size) {
    std::string result;
    if (!multiSelect || chosen.size() == 1) {
        result = chosen.empty() ? std::string() : chosen.front();
        result += '\0';
        if (multiSelect) result += '\0';
    } else {
        // The folder of the first file; a file elsewhere keeps its full path.
        const std::string folder = DirectoryOf(chosen.front());
        result = folder;
        result += '\0';
        for (const std::string& path : chosen) {
            const bool inFolder = DirectoryOf(path) == folder;
            result += inFolder ? path.substr(path.rfind(kSeparator) + 1) : path;
            result += '\0';
        }
        result += '\0';
    }
    if (result.size() > size) return false;
    std::memcpy(buffer, result.data(), result.size());
    return true;
}

int CFileDialog::DoModal() {
    g_lastError = 0;
    const bool multiSelect = (m_ofn.Flags & OFN_ALLOWMULTISELECT) != 0;
    afx_backend::FileDialogRequest request;
    request.owner = m_ofn.hwndOwner != nullptr ? m_ofn.hwndOwner : PreModal();
    request.multiSelect = multiSelect;
    if (m_ofn.lpstrTitle != nullptr) request.title = m_ofn.lpstrTitle;
    if (m_ofn.lpstrInitialDir != nullptr) request.initialDirectory = m_ofn.lpstrInitialDir;
    if (m_ofn.lpstrFile != nullptr && m_ofn.nMaxFile > 0) {
        m_ofn.lpstrFile[m_ofn.nMaxFile - 1] = '\0';
        request.initialName = m_ofn.lpstrFile;
        // Only the first string counts as input.
        const size_t length = request.initialName.size();
        if (length + 1 < m_ofn.nMaxFile) m_ofn.lpstrFile[length + 1] = '\0';
    }
    for (const char* p = m_ofn.lpstrFilter; p != nullptr && *p != '\0';) {
        const char* name = p;
        const char* pattern = name + std::strlen(name) + 1;
        request.filters.emplace_back(name, pattern);
        if (*pattern == '\0') break;
        p = pattern + std::strlen(pattern) + 1;
    }
    request.filterIndex = m_ofn.nFilterIndex > 0 ? static_cast<int>(m_ofn.nFilterIndex) - 1 : 0;

    std::vector<std::string> chosen;
    const bool confirmed = afx_backend::RunFileDialog(request, this, chosen);
    Detach();
    if (!confirmed || chosen.empty()) return IDCANCEL;
    if (m_ofn.lpstrFile == nullptr ||
        !StoreSelection(chosen, multiSelect, m_ofn.lpstrFile, m_ofn.nMaxFile)) {
        g_lastError = FNERR_BUFFERTOOSMALL;
        return IDCANCEL;
    }
    return IDOK;
}

CString CFileDialog::GetPathName() const { return CString(m_ofn.lpstrFile); }

POSITION CFileDialog::GetStartPosition() const {
    if (m_ofn.lpstrFile == nullptr || m_ofn.lpstrFile[0] == '\0') return nullptr;
    return reinterpret_cast<POSITION>(m_ofn.lpstrFile);
}

CString CFileDialog::GetNextPathName(POSITION& pos) const {
    const char* buffer = m_ofn.lpstrFile;
    const char* current = reinterpret_cast<const char*>(pos);
    const char* afterFirst = buffer + std::strlen(buffer) + 1;
    const bool several = (m_ofn.Flags & OFN_ALLOWMULTISELECT) != 0 && *afterFirst != '\0';
    if (!several) {
        pos = nullptr;
        return CString(buffer);
    }
    // The first string is the folder; positions walk the names after it.
    if (current == buffer) current = afterFirst;
    const char* next = current + std::strlen(current) + 1;
    pos = *next != '\0' ? reinterpret_cast<POSITION>(const_cast<char*>(next)) : nullptr;
    if (IsAbsolute(current)) return CString(current);
    std::string path = buffer;
    if (path.empty() || path.back() != kSeparator) path += kSeparator;
    path += current;
    return CString(path);
}
