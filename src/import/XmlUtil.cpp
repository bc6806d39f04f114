// XML routines for web-service replies.

#include "XmlUtil.h"

#include "MiscUtil.h"

#include <QFile>

namespace {

const qint64 MaxXmlFileBytes = 64LL * 1024 * 1024;

// Appends the text and CDATA inside Node in document order. The walk keeps no stack of
// its own and does not recurse, so any depth of nesting is read.
void AppendText(pugi::xml_node Node, std::string& Text) {
  pugi::xml_node Child = Node.first_child();
  while (Child) {
    if (Child.type() == pugi::node_pcdata || Child.type() == pugi::node_cdata) {
      Text += Child.value();
    } else if (Child.type() == pugi::node_element && Child.first_child()) {
      Child = Child.first_child();
      continue;
    }
    // The next node: a sibling of this one or of the nearest ancestor below Node.
    while (Child != Node && !Child.next_sibling()) Child = Child.parent();
    Child = Child == Node ? pugi::xml_node() : Child.next_sibling();
  }
}

}  // namespace

QString TrimControl(const QString& Text) {
  qsizetype First = 0;
  qsizetype Last = Text.size();
  while (First < Last && Text.at(First).unicode() < 33) ++First;
  while (Last > First && Text.at(Last - 1).unicode() < 33) --Last;
  return Text.mid(First, Last - First);
}

TXmlDocument CreateXmlDoc() { return std::make_shared<pugi::xml_document>(); }

void LoadXmlDoc(const TXmlDocument& Doc, const QString& FileName) {
  if (!Doc) throw EXmlError(QStringLiteral("No XML document to load into."));
  QFile File(FileName);
  if (!File.open(QIODevice::ReadOnly))
    throw EXmlError(QStringLiteral("Unable to read the file %1: %2").arg(FileName, File.errorString()));
  if (File.size() > MaxXmlFileBytes)
    throw EXmlError(QStringLiteral("The XML data in %1 is too large.").arg(FileName));
  const QByteArray Bytes = File.read(MaxXmlFileBytes + 1);
  if (Bytes.size() > MaxXmlFileBytes) throw EXmlError(QStringLiteral("The XML data in %1 is too large.").arg(FileName));
  LoadXmlData(Doc, Bytes);
}

void LoadXmlData(const TXmlDocument& Doc, const QByteArray& Bytes) {
  if (!Doc) throw EXmlError(QStringLiteral("No XML document to load into."));
  if (Bytes.size() > MaxXmlFileBytes) throw EXmlError(QStringLiteral("The XML data is too large."));
  const pugi::xml_parse_result Result =
      Doc->load_buffer(Bytes.constData(), size_t(Bytes.size()), pugi::parse_default, pugi::encoding_utf8);
  if (!Result) {
    Doc->reset();
    throw EXmlError(QStringLiteral("Invalid XML data: %1 at byte %2.")
                        .arg(QString::fromUtf8(Result.description()))
                        .arg(qint64(Result.offset)));
  }
  if (!Doc->document_element()) {
    Doc->reset();
    throw EXmlError(QStringLiteral("Invalid XML data: no document element."));
  }
}

QString GetNodeText(pugi::xml_node Node) {
  if (!Node) return {};
  std::string Text;
  if (Node.type() == pugi::node_pcdata || Node.type() == pugi::node_cdata)
    Text = Node.value();
  else
    AppendText(Node, Text);
  return TrimControl(QString::fromStdString(Text));
}

QString GetNodeAttribute(pugi::xml_node Node, const QString& AttrName) {
  if (!Node) return {};
  const QByteArray Name = AttrName.toUtf8();
  return TrimControl(QString::fromUtf8(Node.attribute(Name.constData()).value()));
}

pugi::xml_node FindChildNode(pugi::xml_node Node, const QString& Name) {
  if (!Node) return {};
  const QByteArray Wanted = Name.toUtf8();
  return Node.child(Wanted.constData());
}

pugi::xml_node GetChildNode(pugi::xml_node Node, int Index) {
  int I = 0;
  for (pugi::xml_node Child = Node.first_child(); Child; Child = Child.next_sibling(), ++I)
    if (I == Index) return Child;
  throw EXmlError(QStringLiteral("Element \"%1\" has no child %2.").arg(QString::fromUtf8(Node.name())).arg(Index));
}

int ChildNodeCount(pugi::xml_node Node) {
  int Count = 0;
  for (pugi::xml_node Child = Node.first_child(); Child; Child = Child.next_sibling()) ++Count;
  return Count;
}

TTempReplyFile::TTempReplyFile() : FName(MakeTempFileName(QString())) {}

TTempReplyFile::~TTempReplyFile() {
  if (!FName.isEmpty()) QFile::remove(FName);
}

void TTempReplyFile::Write(const QString& Text) const { WriteBytes(Text.toUtf8()); }

void TTempReplyFile::WriteBytes(const QByteArray& Bytes) const {
  QFile File(FName);
  if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate) || File.write(Bytes) != Bytes.size() || !File.flush())
    throw std::runtime_error(
        QStringLiteral("Unable to write the temporary file %1: %2").arg(FName, File.errorString()).toStdString());
}

QByteArray TTempReplyFile::PassThrough(const QByteArray& Bytes) const {
  WriteBytes(Bytes);
  QFile File(FName);
  if (!File.open(QIODevice::ReadOnly))
    throw std::runtime_error(
        QStringLiteral("Unable to read the temporary file %1: %2").arg(FName, File.errorString()).toStdString());
  const QByteArray Read = File.readAll();
  if (Read.size() != Bytes.size())
    throw std::runtime_error(QStringLiteral("Unable to read the temporary file %1.").arg(FName).toStdString());
  return Read;
}
