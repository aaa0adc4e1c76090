// SPDX-License-Identifier: MIT
// The dialog given a .docx or .odt document, opened or dropped.
#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QUrl>

#include "app/zabreldlg.h"
#include "documents/makedocument.h"
#include "support/dictionary.h"

namespace {

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class DocumentsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void aDocumentSendsTheWriterToWriterAndLeavesTheTextAlone();

private:
    QTemporaryDir dictionary;
    QTemporaryDir dataHome;
};

void DocumentsTest::initTestCase() {
    QVERIFY(dictionary.isValid() && dataHome.isValid());
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", dataHome.path().toLocal8Bit());
    zabrel::test::DictionaryContents dict;
    dict.alphabet = zabrel::test::urduLetters();
    dict.words = {{u"کتاب", 900}, {u"دوست", 800}};
    for (char16_t letter : dict.alphabet) {
        dict.soundex.push_back({letter, 1});
        dict.shapex.push_back({letter, 1});
    }
    zabrel::test::writeDictionary(dictionary.path().toStdString(), dict);
}

void DocumentsTest::aDocumentSendsTheWriterToWriterAndLeavesTheTextAlone() {
    QTemporaryDir folder;
    const QString text = folder.filePath(QStringLiteral("text.txt"));
    const QString docx = folder.filePath(QStringLiteral("letter.docx"));
    const QString odt = folder.filePath(QStringLiteral("NOTES.ODT"));
    const QString broken = folder.filePath(QStringLiteral("broken.odt"));
    {
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral(u"دوست").toUtf8());
    }
    zabrel::test::writeDocx(docx.toStdString(), "<w:p><w:r><w:t>کتاب</w:t></w:r></w:p>");
    zabrel::test::writeOdt(odt.toStdString(), "<text:p>کتاب</text:p>");
    zabrel::test::writeZip(broken.toStdString(), {{"styles.xml", "<x/>"}});
    const QByteArray docxBytes = bytesOf(docx);

    QStringList messages;
    CZabrelDlg dialog(
        [&](QWidget*, const QString& title, const QString& body) { messages << title + u'|' + body; },
        nullptr, dictionary.path().toStdString());
    QVERIFY(messages.isEmpty());
    QVERIFY(dialog.openFile(text));
    auto* box = dialog.findChild<QTextEdit*>(QStringLiteral("inputBox"));

    const QString inWriter = QStringLiteral(
        u"Zabrel|یہ ورڈ پروسیسر کی دستاویز ہے۔ یہاں یہ صرف سادہ متن بن کر کھل سکتی ہے، اور محفوظ کرنے پر "
        u"دستاویز کی ترتیب (فونٹ، سرخیاں، جدولیں، تصویریں) ضائع ہو جاتی۔ اس کے ہجے LibreOffice Writer "
        u"میں جانچیں: زبرل وہاں بھی کام کرتا ہے، اور درستیاں دستاویز ہی میں محفوظ ہوتی ہیں۔\n");
    QVERIFY(!dialog.openFile(docx));
    QCOMPARE(messages, QStringList{inWriter + docx});
    QVERIFY(!dialog.openFile(odt));
    QCOMPARE(messages.value(1), inWriter + odt);
    // A document that cannot be read is named with what is wrong with it.
    QVERIFY(!dialog.openFile(broken));
    QCOMPARE(messages.value(2), QStringLiteral(u"Zabrel|یہ دستاویز پڑھی نہیں جا سکی۔\n") + broken +
                                    QStringLiteral("\nit holds no content.xml"));

    // Dropped on the text box, the same.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(docx)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box->viewport(), &drop);
    QTRY_COMPARE(messages.size(), 4);
    QCOMPARE(messages.value(3), inWriter + docx);

    // The text and its file stay as they were, and the document is not touched.
    QCOMPARE(box->toPlainText(), QStringLiteral(u"دوست"));
    QCOMPARE(dialog.currentFileName(), text);
    QVERIFY(!box->document()->isModified());
    QCOMPARE(bytesOf(docx), docxBytes);
}

QTEST_MAIN(DocumentsTest)
#include "documents_test.moc"
