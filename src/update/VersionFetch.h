#pragma once
// Fetching the version document over the network. On Linux this is built
// into a module of its own (NetworkModule.h), which the program and its
// tests load only when they check for an update; elsewhere it is linked in.

#include <QString>
#include <chrono>

class QByteArray;
class QNetworkAccessManager;

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

// The trimmed text of the published document's CurrentVersion, whatever it
// is; false, leaving version alone, when the document cannot be had.
bool FetchPublishedVersion(const QString& address, std::chrono::milliseconds timeLimit, QString& version) noexcept;
