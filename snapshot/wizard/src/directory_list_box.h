// The directory list of the directory picker: the path of the current
// directory from its root, one row per component, then its subdirectories,
// each row with a folder glyph. Names never split a double-byte character.
#pragma once

#include <string>
#include <vector>

#include "vpr/forms/forms.h"

namespace snapshot {

// A 16 by 16 glyph of the program's bitmaps, drawn with its bottom-left
// pixel's colour transparent.
class TFolderBitmap {
public:
    explicit TFolderBitmap(const char* resourceName);
    ~TFolderBitmap();
    TFolderBitmap(const TFolderBitmap&) = delete;
    TFolderBitmap& operator=(const TFolderBitmap&) = delete;

    void Draw(HDC dc, int x, int y) const;
    // The glyph with its transparent pixels black: the bitmap whose blit
    // shows on the list.
    HBITMAP Image() const { return image_; }
    static constexpr int kSize = 16;

private:
    HBITMAP image_ = nullptr;
    HBITMAP mask_ = nullptr;  // white where transparent, black elsewhere
};

class KMTDirectoryListBox : public vpr::forms::TListBox {
public:
    enum Glyph { kOpenFolder, kClosedFolder, kCurrentFolder };
    struct Row {
        std::string name;
        Glyph glyph;
        bool pathRow;  // the root or a component of the current path
    };

    explicit KMTDirectoryListBox(vpr::forms::TComponent* owner);
    ~KMTDirectoryListBox() override;
    std::string ClassName() const override { return "KMTDirectoryListBox"; }
    bool SetProperty(vpr::forms::TReader& reader, const std::string& name, const vpr::forms::FormValue& value) override;
    void CommandNotify(WORD code) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    void WndProc(vpr::forms::TMessage& message) override;

    // The current directory ("C:\", "C:\WINDOWS"); setting it refills the
    // rows and calls OnChange.
    const std::string& Directory() const { return directory_; }
    void SetDirectory(const std::string& directory);
    // The root of a drive becomes the current directory.
    void SetDrive(char letter);
    // Makes the directory of a row current (a double click, Enter).
    void OpenRow(int row);

    const std::vector<Row>& Rows() const { return rows_; }
    // The pixels a row's glyph is drawn from its left edge.
    int Indent(int row) const;
    const TFolderBitmap& GlyphBitmap(Glyph glyph) const { return *glyphs_[glyph]; }

    vpr::forms::TNotifyEvent OnChange;

protected:
    void WindowCreated() override;

private:
    void Fill();
    std::string DirectoryOfRow(int row) const;
    std::string Shown(const std::string& name) const;

    std::string directory_;
    std::vector<Row> rows_;
    TFolderBitmap* glyphs_[3] = {};
    bool keepsCase_ = true;
};

// Makes the class known to form descriptions.
void RegisterDirectoryListBox();

}  // namespace snapshot
