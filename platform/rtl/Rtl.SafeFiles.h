// Rtl.SafeFiles.h: saving user data so that no failure loses it, and names from outside (a
// card, a server reply, a pack, a caption) that never lead out of their folder.
// Every save writes a temporary file beside its target and renames it over the target only
// once the data is whole and on the disk; until then the old file stays as it was.
#pragma once

#include <string_view>

#include "Rtl.Streams.h"
#include "Rtl.Types.h"

// What a committed file takes the place of.
enum TSafeSaveMode : uint8_t {
    // The target, replaced in one step. A link is followed to the file it names: that file is
    // replaced and keeps its permissions, and the link stays a link.
    ssReplace,
    // The name itself, for files that come from outside (downloads): a link at the name is
    // replaced by the file and what it led to is left alone. A plain file's permissions stay.
    ssReplaceEntry,
    // Nothing: the file takes the target's name, or the first free of "name1.ext", "name2.ext",
    // ... when it is taken, and never writes through a link.
    ssNewFile,
};

// A temporary file's name ends so: "<target>.~tmp", or "<target>1.~tmp", ... when taken.
inline constexpr std::string_view kTempFileSuffix = ".~tmp";

// A file written under a temporary name beside its target, created exclusively (never through
// a link planted at that name) and locked while it is open. Commit makes it the target; a
// stream freed without Commit removes its temporary file, so a cancelled or failed job never
// leaves a half file under the final name. For whole saves and for large files written
// progressively (card images, restored files, downloads) alike.
class TSafeFileStream : public TFileStream {
    X_CLASS(TSafeFileStream, TFileStream)
public:
    // The temporary file, while the stream is neither committed nor abandoned.
    const String& TempName() const { return FTempPath; }
    // The name the file has once committed: the target as given, or for ssNewFile the
    // numbered name that Commit chose.
    const String& TargetName() const { return FTargetName; }
    bool Committed() const { return FCommitted; }
    // Syncs the data, closes the file, renames it to the target and syncs the folder. Raises
    // EWriteError with the system's reason when any step fails; the temporary file is gone
    // then and the target as it was.
    void Commit();
    // Closes and removes the temporary file; the target is left alone.
    void Abandon();

protected:
    TSafeFileStream() = default;
    ~TSafeFileStream() override;
    // Raises EFCreateError with the system's reason when no temporary file can be made.
    X_REINTRODUCE(virtual void Construct(const String& ATarget, TSafeSaveMode AMode = ssReplace));

private:
    void CommitNewFile();

    String FTargetName;
    String FTargetPath;   // the native path renamed to; for ssReplace past any links
    String FTempPath;
    TSafeSaveMode FMode = ssReplace;
    bool FCommitted = false;
};

// ABytes saved as AFileName through a TSafeFileStream (ssReplace). Raises EFCreateError or
// EWriteError with the system's reason; the old file is then as it was.
void SafeWriteFileBytes(const String& AFileName, const TBytes& ABytes);

// "name<N>.ext": the number goes before the extension ("a.jpg" 2 -> "a2.jpg").
String NumberedFileName(std::string_view AFileName, int ANumber);

// Creates a new file exclusively and never through a link (O_CREAT | O_EXCL | O_NOFOLLOW):
// AFileName, or when that name is taken the first free numbered name, which AFileName then
// holds. Answers the handle, open for reading and writing. Raises EFCreateError with the
// system's reason.
int CreateNewFile(String& AFileName, unsigned APermissions = 0666);

// Whether AName, which came from outside, is one plain name: not empty, not "." or "..", no
// "/" or "\", no NUL or other control character, and at most 255 bytes, the longest name a
// Linux file system takes.
bool IsPlainFileName(std::string_view AName);
// AName made into a plain name that keeps as much of it as it can: separators and control
// characters become "_", "", "." and ".." become "_", and a name over AMaxBytes is cut at a
// character's boundary, keeping a short extension ("<long stem cut>.jpg"). For names that must
// become files or folders whatever they hold: a card's long names, captions.
String MakePlainFileName(std::string_view AName, size_t AMaxBytes = 255);
// ABase and AName joined, or "" when AName is not a plain name or when what the result names
// is a link that leads out of ABase (or nowhere). The one way to make a path from a name out
// of a card, a server reply, a pack or a caption.
String JoinUntrustedName(const String& ABase, std::string_view AName);

// Removes the temporary files of saves that never finished (a crash, a power cut) from
// AFolder. A temporary file still open in a running save is locked and kept.
void RemoveStaleTempFiles(const String& AFolder);
