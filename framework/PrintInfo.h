#pragma once
// What the print loop tells a view about the job and the page being printed.

#include <QRect>

#include <climits>

class QPrinter;

class CPrintInfo {
public:
    // The page count before the view has counted the pages.
    static constexpr int UnknownPageCount = 0;

    // Page numbers are ints, not the platform's 16-bit fields: a document of
    // more than 65535 pages prints all of them.
    void SetMinPage(int page) { MinPage = page; }
    void SetMaxPage(int page) { MaxPage = page; }
    [[nodiscard]] int GetMinPage() const { return MinPage; }
    // UnknownPageCount until OnBeginPrinting counts the pages.
    [[nodiscard]] int GetMaxPage() const { return MaxPage; }
    // The pages the user asked for; ToPage is INT_MAX for "all".
    [[nodiscard]] int GetFromPage() const { return FromPage; }
    [[nodiscard]] int GetToPage() const { return ToPage; }
    void SetPageRange(int from, int to)
    {
        FromPage = from;
        ToPage = to;
    }

    // True while the pages go to the preview window rather than the printer.
    bool Preview = false;
    // OnPrepareDC clears it to end the job before the current page.
    bool Continuing = true;
    // 1-based number of the page being printed.
    int CurPage = 1;
    // The page's drawable area in logical units; with y growing upward its
    // height is negative.
    QRect DrawRect;
    // The printer of the job, set by DoPreparePrinting.
    QPrinter* pPrinter = nullptr;

private:
    int MinPage = 1;
    int MaxPage = UnknownPageCount;
    int FromPage = 1;
    int ToPage = INT_MAX;
};
