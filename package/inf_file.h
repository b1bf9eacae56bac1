// Access to the driver INF through SetupAPI, and the driver description read from it.
#pragma once
#include <string>
#include <vector>

#include "platform/win.h"

// Names of the entries of a directory that match a pattern, in the order the search returns
// them.
std::vector<std::string> ListInfFiles(const std::string& directory, const std::string& pattern);

class InfFile {
public:
    // Opens the INF at infPath (the package's directory and the INF's name) as a Windows NT
    // printer INF; with a model name, also appends the INF that the model's install section
    // includes.
    InfFile(const std::string& infPath, const std::string& modelName);
    ~InfFile();
    InfFile(const InfFile&) = delete;
    InfFile& operator=(const InfFile&) = delete;

    bool IsOpen() const { return m_hInf != INVALID_HANDLE_VALUE; }

    // Field `index` (1 = first after the key) of the first line keyed `key` in `section`
    // (null key: the section's first line); empty when missing. At most 259 characters: a
    // longer field gives the empty string and sets `tooLong` when that is given.
    std::string GetField(const std::string& section, const char* key, DWORD index,
                         bool* tooLong = nullptr) const;
    // Field 1 of `key` for a printer model, through the model line of the maker section
    // and, with a redirect key, through the section that the redirect key names. `tooLong`
    // as for GetField, for the value itself.
    std::string GetModelValue(const std::string& model, const std::string& key,
                              const char* redirectKey, bool* tooLong = nullptr) const;
    // The whole text of every line of a section; lengthBytes gets the bytes the lines take
    // as a multi-string (each with its NUL, the closing NUL not counted).
    std::vector<std::string> GetSectionLines(const std::string& section,
                                             size_t* lengthBytes = nullptr) const;
    // True for the driver INF of this package: open, and a line in the maker section.
    bool IsDriverInf() const;

    // Fills the driver description fields below.
    void Describe();
    // The dependent-file multi-string for a model and key ("CopyFiles"); sets its length.
    // Names are kept whole; one longer than 259 characters sets m_bNameTooLong.
    std::string CollectCopyFiles(const std::string& model, const std::string& key,
                                 size_t* lengthBytes = nullptr);
    // Fills the print processor, its file and the default data type.
    void ReadPrintProcessor(const std::string& model);
    // Fills the dependent files: the model's CopyFiles and, with an included INF, the files
    // of the section that the model's install section needs from it.
    void ReadDependentFiles(const std::string& model, const std::string& copyFilesKey,
                            const std::string& makerSection, const std::string& needsKey);

    HINF m_hInf = INVALID_HANDLE_VALUE;
    int m_bHasInclude = 0;
    std::string m_szInfName;
    std::string m_szModelName;
    // The driver description.
    std::string m_szPrintProcessor;
    std::string m_szPrintProcessorFile;
    std::string m_szDefaultDataType;
    std::string m_szDriverFile;
    std::string m_szDataFile;
    std::string m_szConfigFile;
    std::string m_szHelpFile;
    // Multi-string: each name NUL-terminated, then one more NUL ("\0" when empty).
    std::string m_szDependentFiles = std::string(1, '\0');
    size_t m_nDependentFilesLength = 0;
    // Set when a file name, the print processor or the data type of the description is
    // longer than 259 characters: the fields then hold no usable description of the driver.
    bool m_bNameTooLong = false;
};
