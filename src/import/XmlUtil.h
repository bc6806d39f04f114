#pragma once
// Small XML routines over pugixml for reading web-service replies that were saved to
// a temporary file, and that temporary file itself.
//
// A document is shared (freed with its last reference); nodes are pugixml handles,
// valid while their document lives, and an absent node is an empty handle.

#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

#include <memory>
#include <stdexcept>

// A file that cannot be read as XML, or a child index outside the list.
class EXmlError : public std::runtime_error {
 public:
  explicit EXmlError(const QString& Message) : std::runtime_error(Message.toStdString()) {}
};

using TXmlDocument = std::shared_ptr<pugi::xml_document>;

// A new, empty document.
TXmlDocument CreateXmlDoc();
// Reads and parses the file (UTF-8, as this program writes its temporary files) into
// Doc. Throws EXmlError for a file that cannot be read, is larger than 64 MB, is not
// well-formed or has no document element.
void LoadXmlDoc(const TXmlDocument& Doc, const QString& FileName);
// The same for XML already in memory.
void LoadXmlData(const TXmlDocument& Doc, const QByteArray& Bytes);
// The node's text (all text inside it, as the DOM gives it) with characters below
// code 33 removed at both ends; empty for an empty node.
QString GetNodeText(pugi::xml_node Node);
// The attribute's value with characters below code 33 removed at both ends; empty for
// an empty node or a missing attribute.
QString GetNodeAttribute(pugi::xml_node Node, const QString& AttrName);
// The first child element named Name; an empty node when there is none.
pugi::xml_node FindChildNode(pugi::xml_node Node, const QString& Name);
// The child at Index (0-based) of the node's children. Throws EXmlError for an Index
// outside the list.
pugi::xml_node GetChildNode(pugi::xml_node Node, int Index);
// The number of children of the node.
int ChildNodeCount(pugi::xml_node Node);

// Text with the characters below code 33 removed at both ends.
QString TrimControl(const QString& Text);

// A temporary file (MakeTempFileName with no extension) deleted when the object goes
// out of scope, whatever the way out. Every web or service reply passes through one.
class TTempReplyFile {
 public:
  TTempReplyFile();  // throws std::runtime_error when the file cannot be made
  ~TTempReplyFile();
  TTempReplyFile(const TTempReplyFile&) = delete;
  TTempReplyFile& operator=(const TTempReplyFile&) = delete;

  const QString& FileName() const { return FName; }
  // Replaces the file's content with Text in UTF-8. Throws std::runtime_error when the
  // file cannot be written.
  void Write(const QString& Text) const;
  // Replaces the file's content with Bytes and reads it back. Throws std::runtime_error
  // when the file cannot be written or read, or reads back short.
  QByteArray PassThrough(const QByteArray& Bytes) const;

 private:
  void WriteBytes(const QByteArray& Bytes) const;
  QString FName;
};
