// The item reader: items and the file position after every statement, for
// a string variable as the application reads, and for numeric variables.
#include "file_test_util.h"

namespace {

using std::string;

// One FileInput with one string variable: the item stored, or kNothing
// when the variable kept its value, and the position afterwards.
constexpr const char* kNothing = "<nothing>";
struct Step {
    string item;
    DWORD position;
};
struct StringCase {
    const char* name;
    string file;
    std::vector<Step> steps;
};

const StringCase kStringCases[] = {
    {"a blank inside a line stays", string("abc def\r\nxyz"), {{"abc def", 9}, {"xyz", 12}}},
    {"blanks before go, blanks behind stay", string("  abc\r\nabc   \r\n"),
     {{"abc", 7}, {"abc   ", 15}}},
    {"tabs before go", string("\t \tq\r\n"), {{"q", 6}}},
    {"a comma ends an item", string("a,b\r\n"), {{"a", 2}, {"b", 5}}},
    {"quotes protect a comma and stay", string("\"x,y\"\r\n"), {{"\"x,y\"", 7}}},
    {"an empty line is an empty item", string("\r\nz"), {{"", 2}, {"z", 3}}},
    {"a comma where an item begins", string(" ,\r\n"), {{"", 2}, {"", 4}}},
    {"LF alone ends a line", string("a\nb\n"), {{"a", 2}, {"b", 4}}},
    {"LF ends an item inside quotes", string("\"a,b\nc\r\n"), {{"\"a,b", 5}, {"c", 8}}},
    {"a lone CR is an item byte", string("a\rb\r\n"), {{"a\rb", 5}}},
    {"CR CR LF keeps the first CR", string("a\r\r\nb"), {{"a\r", 4}, {"b", 5}}},
    {"a CR as the last byte stays", string("x,a\r"), {{"x", 2}, {"a\r", 4}}},
    {"a last line without a line end", string("ab\r\nlast"), {{"ab", 4}, {"last", 8}}},
    {"only blanks behind the last line", string("x\r\n  \t "),
     {{"x", 3}, {kNothing, 7}, {kNothing, 7}}},
    {"a NUL ends an item", string("ab\0cd\r\n", 7), {{"ab", 3}, {"cd", 7}}},
    {"an empty file gives nothing", string(""), {{kNothing, 0}}},
    // Shift-JIS: trail bytes 0x5C and 0x40..0x7E are ordinary item bytes.
    {"Shift-JIS bytes", string("\x83\x5c\x95\x5c \x82\xa0,\x81\x40\r\n"),
     {{"\x83\x5c\x95\x5c \x82\xa0", 8}, {"\x81\x40", 12}}},
};

void ListOneString(RtString* variable) {
    ValueList.ValueAddress[0] = variable;
    ValueList.ValueType[0] = TypeString;
    ValueList.ValueAddress[1] = nullptr;
}

class FileInputTest : public FileTest {};

// Each case is read twice: once plainly, once with two FileEof calls before
// every statement, which must change nothing.
TEST_F(FileInputTest, StringItemsAndPositions) {
    std::string dir = TestTempDir("input-string");
    for (const StringCase& c : kStringCases) {
        for (bool with_eof : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (with_eof ? ", with FileEof" : ""));
            WriteAll(dir + "in", c.file);
            Open(dir + "in", FileModeRead, 1);
            RtString variable = StrAlloc(0);
            ListOneString(&variable);
            for (const Step& step : c.steps) {
                if (with_eof) {
                    DWORD at = Position(1);
                    int32_t eof = FileEof(1);
                    EXPECT_EQ(FileEof(1), eof);
                    EXPECT_EQ(Position(1), at);
                }
                StrAssign(&variable, StrFromText(kNothing));
                int32_t strings = RegistryCount();
                FileInput(1);
                EXPECT_EQ(RegistryCount(), strings);
                EXPECT_EQ(Bytes(variable), step.item);
                EXPECT_EQ(Position(1), step.position);
                EXPECT_EQ(FileEof(1), step.position >= c.file.size() ? -1 : 0);
            }
            EXPECT_EQ(FileEof(1), -1) << "every case reads its file to the end";
            StrFree(variable);
            FileClose(1);
        }
    }
}

// Numeric and mixed lists: one statement, what each variable holds, and the
// position afterwards.
struct Vars {
    int8_t i8 = 99;
    int16_t i16 = 99;
    int32_t a = 99, b = 99;
    float single = 99;
    double dbl = 99;
    RtString text = nullptr;
};
struct NumericCase {
    const char* name;
    string file;
    int32_t a, b;
    DWORD position;
};

const NumericCase kNumericCases[] = {
    {"a blank separates", "12 34\r\n", 12, 34, 7},
    {"a comma separates", "12,34\r\n", 12, 34, 7},
    {"blanks around a comma", "12 , 34\r\n", 12, 34, 9},
    {"a tab separates", "7\t8\n", 7, 8, 4},
    {"blanks then a line end", "12 \r\n34\r\n", 12, 0, 5},
    {"the statement reads across lines", "1\r\n2\r\n", 1, 2, 6},
    {"the end of the file inside the list", "5", 5, 99, 1},
    {"the end of the file behind blanks", "5   ", 5, 99, 4},
    {"no line end at the end", "12 34", 12, 34, 5},
    {"surplus items stay in the file", "1,2,3\r\n", 1, 2, 4},
    {"quotes keep a blank and convert to 0", "\"1 2\",5\r\n", 0, 5, 9},
    {"a blank stops at the next item", "3  -4,x", 3, -4, 6},
};

TEST_F(FileInputTest, NumericItemsAndPositions) {
    std::string dir = TestTempDir("input-numeric");
    for (const NumericCase& c : kNumericCases) {
        SCOPED_TRACE(c.name);
        WriteAll(dir + "in", c.file);
        Open(dir + "in", FileModeRead, 1);
        Vars v;
        ValueList.ValueAddress[0] = &v.a;
        ValueList.ValueType[0] = TypeInt32;
        ValueList.ValueAddress[1] = &v.b;
        ValueList.ValueType[1] = TypeInt32;
        ValueList.ValueAddress[2] = nullptr;
        FileInput(1);
        EXPECT_EQ(v.a, c.a);
        EXPECT_EQ(v.b, c.b);
        EXPECT_EQ(Position(1), c.position);
        FileClose(1);
    }
}

TEST_F(FileInputTest, EveryTypeCodeInOneStatement) {
    std::string path = TestTempDir("input-types") + "in";
    WriteAll(path, "300 70000,2.5\t1.5, a b ,9, 4\r\nnext");
    Open(path, FileModeRead, 1);
    Vars v;
    v.text = StrAlloc(0);
    int32_t code7 = 99, after = 99;
    void* addresses[] = {&v.i8, &v.i16, &v.dbl, &v.single, &v.text, &code7, &after};
    int32_t types[] = {TypeInt8, TypeInt16, TypeDouble, TypeSingle, TypeString, 7, TypeInt32};
    for (int k = 0; k < 7; k++) {
        ValueList.ValueAddress[k] = addresses[k];
        ValueList.ValueType[k] = types[k];
    }
    ValueList.ValueAddress[7] = nullptr;
    FileInput(1);
    EXPECT_EQ(v.i8, 44);
    EXPECT_EQ(v.i16, 4464);
    EXPECT_EQ(v.dbl, 2.5);
    EXPECT_EQ(v.single, 1.5f);
    EXPECT_EQ(Bytes(v.text), "a b ");  // a string item keeps its blanks
    EXPECT_EQ(code7, 99);              // taken from the file, stored nowhere
    EXPECT_EQ(after, 4);
    EXPECT_EQ(Position(1), 30u);
    StrFree(v.text);
}

TEST_F(FileInputTest, AFullListOfThirtyTwoEntriesEndsAtItsLastEntry) {
    std::string path = TestTempDir("input-full") + "in";
    std::string file;
    for (int i = 1; i <= 40; i++) file += std::to_string(i) + ",";
    WriteAll(path, file);
    Open(path, FileModeRead, 1);
    int32_t values[32] = {};
    for (int k = 0; k < 32; k++) {
        ValueList.ValueAddress[k] = &values[k];
        ValueList.ValueType[k] = TypeInt32;
    }
    FileInput(1);
    for (int k = 0; k < 32; k++) EXPECT_EQ(values[k], k + 1);
    EXPECT_EQ(Position(1), (DWORD)file.find("33,"));
}

TEST_F(FileInputTest, NoFileStoresNothingAndAllocatesNothing) {
    std::string dir = TestTempDir("input-none");
    WriteAll(dir + "out", "");
    Open(dir + "missing", FileModeRead, 1);
    Open(dir + "out", FileModeWrite, 3);  // write only: every read fails
    RtString variable = StrFromText("kept");
    ListOneString(&variable);
    for (int32_t n : {1, 2, 3}) {
        int32_t strings = RegistryCount();
        FileInput(n);
        EXPECT_EQ(RegistryCount(), strings) << n;
        EXPECT_EQ(Bytes(variable), "kept") << n;
    }
    StrFree(variable);
}

}  // namespace

// Past 4 GiB: a sparse file whose items lie behind a hole. The reader's end
// test, its position and an append all work with 64-bit positions. One-byte
// blocks make every end test ask the system.
TEST_F(FileInputTest, ItemsBehindFourGiB) {
    std::string path = TestTempDir("input-4gib") + "in";
    LARGE_INTEGER at;
    at.QuadPart = ((int64_t)4100 << 20) + 7;  // above 2^32: no 32-bit value holds it
    Open(path, FileModeWrite, 1);
    ASSERT_TRUE(SetFilePointerEx(FileTable.Handles[0], at, nullptr, FILE_BEGIN));
    Print(1, "x\r\ny");
    FileClose(1);
    Open(path, FileModeAppend, 1);
    Print(1, "z\r\n");
    FileClose(1);

    FileRead.BlockBytes = 1;
    Open(path, FileModeRead, 1);
    ASSERT_TRUE(SetFilePointerEx(FileTable.Handles[0], at, nullptr, FILE_BEGIN));
    RtString variable = StrAlloc(0);
    ListOneString(&variable);
    for (const char* item : {"x", "yz"}) {
        EXPECT_EQ(FileEof(1), 0);
        FileInput(1);
        EXPECT_EQ(Bytes(variable), item);
    }
    EXPECT_EQ(FileEof(1), -1);
    EXPECT_EQ(FileError(1), 0u);
    StrFree(variable);
    FileClose(1);
    FileRead.BlockBytes = 0;
    std::remove(path.c_str());
}

// An item longer than the reader holds fails its statement with
// ERROR_NOT_ENOUGH_MEMORY and stores nothing; items up to the bound are whole.
TEST_F(FileInputTest, AnItemPastTheBoundFailsItsStatement) {
    std::string path = TestTempDir("input-bound") + "in";
    WriteAll(path, string(300, 'a') + "\r\n" + string(301, 'b') + "\r\n");
    FileRead.ItemLimit = 300;
    Open(path, FileModeRead, 1);
    RtString variable = StrFromText(kNothing);
    ListOneString(&variable);
    FileInput(1);
    EXPECT_EQ(Bytes(variable), string(300, 'a'));
    EXPECT_EQ(FileError(1), 0u);
    StrAssign(&variable, StrFromText(kNothing));
    FileInput(1);
    EXPECT_EQ(Bytes(variable), kNothing);
    EXPECT_EQ(FileError(1), (DWORD)ERROR_NOT_ENOUGH_MEMORY);
    StrFree(variable);
    FileClose(1);
    FileRead.ItemLimit = 0;
}

// What FileDetectEncoding finds, and the items read afterwards (raw bytes:
// UTF-16 items keep two bytes per unit). Small blocks put the block's end
// inside a UTF-8 sequence or a UTF-16 unit.
struct EncodingCase {
    const char* name;
    string file;
    uint32_t block;  // 0: the default
    int32_t encoding;
    std::vector<string> items;
};

const EncodingCase kEncodingCases[] = {
    {"ASCII is ANSI", "ab cd\r\n", 0, FileEncodingAnsi, {"ab cd"}},
    {"Shift-JIS is ANSI", "\x93\xfa\x96\x7b\r\n", 0, FileEncodingAnsi, {"\x93\xfa\x96\x7b"}},
    {"UTF-8 without a BOM", "x\xe6\x97\xa5\r\n", 0, FileEncodingUtf8, {"x\xe6\x97\xa5"}},
    {"a sequence cut by the first block", "ab\xe6\x97\xa5\r\n", 4, FileEncodingUtf8, {"ab\xe6\x97\xa5"}},
    {"a sequence cut by the file's end", "ab\xe6\x97", 0, FileEncodingAnsi, {"ab\xe6\x97"}},
    // Past a plain-ASCII beginning, up to kFileDetectMost bytes.
    {"UTF-8 after a block of ASCII", string(70000, 'a') + "\xe6\x97\xa5", 0, FileEncodingUtf8,
     {string(70000, 'a') + "\xe6\x97\xa5"}},
    {"UTF-8 after many small blocks, cut by one", string(101, 'a') + ",\xe6\x97\xa5", 4, FileEncodingUtf8,
     {string(101, 'a'), "\xe6\x97\xa5"}},
    {"a byte past UTF-8 in the block after the ASCII", string(100, 'a') + "\xe6\x97\xa5\xff", 4,
     FileEncodingAnsi, {string(100, 'a') + "\xe6\x97\xa5\xff"}},
    {"ASCII as far as detection reads is ANSI", string(kFileDetectMost, 'a') + ",\xe6\x97\xa5", 0,
     FileEncodingAnsi, {string(kFileDetectMost, 'a'), "\xe6\x97\xa5"}},
    {"an overlong form", "\xc0\x80", 0, FileEncodingAnsi, {"\xc0\x80"}},
    {"a surrogate", "\xed\xa0\x80", 0, FileEncodingAnsi, {"\xed\xa0\x80"}},
    {"past U+10FFFF", "\xf4\x90\x80\x80", 0, FileEncodingAnsi, {"\xf4\x90\x80\x80"}},
    {"the UTF-8 BOM is no part of the item", "\xef\xbb\xbf" "a,b", 0, FileEncodingUtf8Bom, {"a", "b"}},
    {"a UTF-8 BOM alone", "\xef\xbb\xbf", 0, FileEncodingUtf8Bom, {}},
    {"UTF-16 LE by unit across odd blocks", string("\xff\xfe" " \0a\0,\0b\0\r\0\n\0c\0", 16), 3,
     FileEncodingUtf16Le, {string("a\0", 2), string("b\0", 2), string("c\0", 2)}},
    {"UTF-16 BE, a NUL unit ends an item", string("\xfe\xff\0a\0\0\0b\x30\x42", 10), 0, FileEncodingUtf16Be,
     {string("\0a", 2), string("\0b\x30\x42", 4)}},
    {"UTF-16: quotes keep a comma, a lone CR stays", string("\xff\xfe\"\0,\0\"\0\r\0x\0", 12), 0,
     FileEncodingUtf16Le, {string("\"\0,\0\"\0\r\0x\0", 10)}},
    {"UTF-16: the odd last byte stays", string("\xff\xfe" "a\0b", 5), 2, FileEncodingUtf16Le,
     {string("a\0b", 3)}},
};

TEST_F(FileInputTest, EncodingsAndTheirItems) {
    std::string path = TestTempDir("input-encodings") + "in";
    for (const EncodingCase& c : kEncodingCases) {
        SCOPED_TRACE(c.name);
        WriteAll(path, c.file);
        FileRead.BlockBytes = c.block;
        Open(path, FileModeRead, 1);
        EXPECT_EQ(FileDetectEncoding(1), c.encoding);
        EXPECT_EQ(FileDetectEncoding(1), c.encoding) << "asked again";
        RtString variable = StrAlloc(0);
        ListOneString(&variable);
        std::vector<string> items;
        while (!FileEof(1) && items.size() < 10) {
            FileInput(1);
            items.push_back(Bytes(variable));
        }
        EXPECT_EQ(items, c.items);
        StrFree(variable);
        FileClose(1);
    }
    FileRead.BlockBytes = 0;
}

// The item scan stops at the first byte its rules look at, wherever it lies
// in a 16-byte step or the tail, and only at those bytes for each rule.
TEST(FileScan, StopsAtTheFirstByteItsRulesLookAt) {
    struct Rule {
        bool quoted, string_target;
    } rules[] = {{true, true}, {false, true}, {false, false}};
    const std::string quotedStops("\n\r\"\0", 4), stringStops("\n\r\",\0", 5), numberStops("\n\r\", \t\0", 7);
    const std::string* stops[] = {&quotedStops, &stringStops, &numberStops};
    const std::string others("x,\t ", 4);  // bytes that are plain under some rule
    for (int r = 0; r < 3; r++) {
        for (uint32_t length : {0u, 5u, 16u, 17u, 40u}) {
            for (uint32_t at = 0; at <= length; at++) {
                for (char other : others) {
                    std::string bytes(length, 'a');
                    if (at < length) bytes[at] = other;
                    uint32_t want = length;
                    if (at < length && stops[r]->find(other) != std::string::npos) want = at;
                    EXPECT_EQ(FileScanPlain((const unsigned char*)bytes.data(), length, rules[r].quoted,
                                            rules[r].string_target), want)
                        << "rule " << r << " length " << length << " byte " << (int)other << " at " << at;
                }
                for (char stop : *stops[r]) {
                    std::string bytes(length, 'a');
                    if (at == length) continue;
                    bytes[at] = stop;
                    EXPECT_EQ(FileScanPlain((const unsigned char*)bytes.data(), length, rules[r].quoted,
                                            rules[r].string_target), at);
                }
            }
        }
    }
}
