#pragma once
// The version published on the product's web site: a small XML document
// <Pellisto><CurrentVersion>0.2.0.3</CurrentVersion></Pellisto>, fetched
// synchronously, and the rule that compares it with the running version.
// No widgets here: the dialog and the start-up check build on it.

#include <QString>
#include <chrono>

class QByteArray;
class QNetworkAccessManager;

// What every caller compares with to recognise a failed fetch.
inline constexpr const char* kConnectionFailed = "Connection Failed";

// The fetch never takes longer than this, nor reads more than this.
inline constexpr std::chrono::milliseconds kVersionFetchTimeLimit{10000};
inline constexpr qsizetype kMaxVersionDocumentSize = 64 * 1024;
// Redirects are followed within the same scheme, this many at most.
inline constexpr int kMaxVersionRedirects = 3;

// The document's root element "Pellisto" (no namespace).
struct TXMLPellistoType {
  QString CurrentVersion;  // text of the child element "CurrentVersion"
};

// Reads a version document. Throws std::runtime_error when the text is not
// well-formed XML, the root is not "Pellisto" or it has no
// "CurrentVersion" child. External entities are never resolved.
TXMLPellistoType ParseVersionDocument(const QByteArray& content);

// Loads and reads the document at an http or https address. Blocks until
// it is read or the time limit has passed; user input waits meanwhile.
// Throws std::runtime_error on any failure.
TXMLPellistoType LoadVersionDocument(const QString& address, QNetworkAccessManager& network,
                                     std::chrono::milliseconds timeLimit = kVersionFetchTimeLimit);

// The published version, blanks around it removed, or exactly
// kConnectionFailed when it cannot be had or is not a dotted version.
// Never throws.
QString FetchCurrentVersion(const QString& address,
                            std::chrono::milliseconds timeLimit = kVersionFetchTimeLimit);
// The same, from the platform's version document address.
QString FetchCurrentVersion();

// --- comparing versions ---

// True for dotted decimal numbers ("0.2.0.3", "1", "0.10"), blanks around
// them allowed.
bool IsVersionText(const QString& text);

// What a published version means for the running one. Versions compare
// numerically part by part, a missing part counting as 0. A running
// version that is not known (empty) makes every published version new.
enum class UpdateOutcome { ConnectionFailed, NewVersion, NoNewUpdates };
UpdateOutcome JudgeCurrentVersion(const QString& published, const QString& running);
