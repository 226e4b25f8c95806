// A scratch folder for one test: made fresh under the temporary folder, removed with
// everything in it when the object goes.
#pragma once

#include <string>

class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's path, ending in a backslash.
  const std::wstring& Path() const { return m_path; }
  // Writes the bytes to a file under the folder (relative path), replacing it.
  bool WriteFile(const std::wstring& relative, const std::string& bytes) const;

private:
  std::wstring m_path;
};

// Reads a whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
// Deletes a folder with everything in it; true when it is gone afterwards.
bool RemoveFolderTree(const std::wstring& path);
