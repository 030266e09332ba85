#include "arttable.h"

// One row per window. Sizes are the client areas the windows are built with;
// a new screen is a new row here, nothing else.
const std::vector<ScreenArt> &screenTable()
{
    static const std::vector<ScreenArt> table = {
        // Start-up and shell
        {"SplashScreen", "Evlora", {300, 145}, Theme::Brand, Layout::Splash, Corner::None, "", {}, {},
         "start-up splash; the clip plays in the clear area on the right"},
        {"MainWindow", "Evlora", {640, 480}, Theme::Brand, Layout::Main, Corner::None, "", {}, {},
         "main window background (menu, panels, clock, contact grid)"},
        {"AboutBox", "Talvoren Bilgisayar", {640, 480}, Theme::Brand, Layout::About, Corner::None, "", {}, {},
         "about window picture with the web-page link area"},

        // Listing entry
        {"RentalFlatEntry", "Kiralık Daire Girişi", {640, 480}, Theme::Rental, Layout::Standard,
         Corner::MinimiseAndExit, "Liste|Yazdır|Çıkış|Emlak Sahibini Gösterme", {}, {}, "rental flat entry"},
        {"SaleFlatEntry", "Satılık Daire Girişi", {640, 480}, Theme::Sale, Layout::Standard,
         Corner::MinimiseAndExit, "Liste|Yazdır|Çıkış|Emlak Sahibini Gösterme", {}, {}, "flat-for-sale entry"},
        {"RentalPropertyEntry", "Kiralık Emlak Girişi", {640, 480}, Theme::Rental, Layout::Standard,
         Corner::MinimiseAndExit, "Liste|Yazdır|Çıkış|Emlak Sahibini Gösterme", {}, {}, "rental property entry"},
        {"SalePropertyEntry", "Satılık Emlak Girişi", {640, 480}, Theme::Sale, Layout::Standard,
         Corner::MinimiseAndExit, "Liste|Yazdır|Çıkış|Emlak Sahibini Gösterme", {}, {}, "property-for-sale entry"},
        {"LandEntry", "Arsa Ve Arazi Girişi", {600, 400}, Theme::Land, Layout::Standard, Corner::None,
         "Liste|Yazdır|Çıkış|Emlak Sahibini Gösterme", {}, {}, "land entry"},
        {"RentedFlatEntry", "Kiralanan Daire Girişi", {400, 300}, Theme::Rental, Layout::Standard, Corner::None,
         "Liste|Çıkış", {}, {}, "rented-out flat (closed deal) entry"},
        {"SoldFlatEntry", "Satılan Daire Girişi", {400, 300}, Theme::Sale, Layout::Standard, Corner::None,
         "Liste|Çıkış", {}, {}, "sold flat (closed deal) entry"},
        {"ShownRentalEntry", "Gösterilen Kiralık Emlaklar", {400, 500}, Theme::Rental, Layout::Standard,
         Corner::None, "", {{{10, 84, 380, 224}, ""}, {{10, 322, 380, 168}, "Gösterilen Yerler"}},
         {{290, 100, 90, 24}, {290, 136, 90, 24}}, "shown rental properties log entry"},
        {"ShownSaleEntry", "Gösterilen Satılık Emlaklar", {400, 500}, Theme::Sale, Layout::Standard,
         Corner::None, "", {{{10, 84, 380, 224}, ""}, {{10, 322, 380, 168}, "Gösterilen Yerler"}},
         {{290, 100, 90, 24}, {290, 136, 90, 24}}, "shown for-sale properties log entry"},
        {"RequestEntry", "Müşteri Talepleri Girişi", {640, 480}, Theme::Request, Layout::Standard,
         Corner::MinimiseAndExit, "Liste|Yazdır|Çıkış", {}, {}, "customer request entry"},

        // Search and lists
        {"RentalFlatList", "Kiralık Daire Listesi", {640, 480}, Theme::Rental, Layout::Standard,
         Corner::MinimiseAndExit, "Bul|Tümünü Göster|Yazdır", {}, {}, "rental flat search"},
        {"SaleFlatList", "Satılık Daire Listesi", {640, 480}, Theme::Sale, Layout::Standard,
         Corner::MinimiseAndExit, "Bul|Tümünü Göster|Yazdır", {}, {}, "flat-for-sale search"},
        {"RentalPropertyList", "Kiralık Emlak Listesi", {640, 480}, Theme::Rental, Layout::Standard,
         Corner::MinimiseAndExit, "Bul|Tümünü Göster|Yazdır", {}, {}, "rental property search"},
        {"SalePropertyList", "Satılık Emlak Listesi", {640, 480}, Theme::Sale, Layout::Standard,
         Corner::MinimiseAndExit, "Bul|Tümünü Göster|Yazdır", {}, {}, "property-for-sale search"},
        {"LandList", "Arsa Ve Arazi Listesi", {593, 417}, Theme::Land, Layout::Standard, Corner::ExitOnly,
         "Bul|Tümünü Göster|Yazdır", {}, {}, "land search"},
        {"RequestList", "Müşteri Talepleri", {640, 480}, Theme::Request, Layout::Standard,
         Corner::MinimiseAndExit, "Bul|Tümünü Göster|Yazdır|Karşılaştır", {}, {}, "customer request list and search"},
        {"RentedFlatList", "Kiralanan Dairelerin Listesi", {300, 300}, Theme::Rental, Layout::Standard,
         Corner::None, "Bul|Çıkış", {}, {}, "rented-out flats list"},
        {"SoldFlatList", "Satılan Dairelerin Listesi", {300, 300}, Theme::Sale, Layout::Standard, Corner::None,
         "Bul|Çıkış", {}, {}, "sold flats list"},
        {"ShownRentalList", "Gösterilen Kiralık Emlak Listesi", {300, 300}, Theme::Rental, Layout::Standard,
         Corner::None, "Bul|Çıkış", {}, {}, "shown rental properties list"},
        {"ShownSaleList", "Gösterilen Satılık Emlak Listesi", {300, 300}, Theme::Sale, Layout::Standard,
         Corner::None, "Bul|Çıkış", {}, {}, "shown for-sale properties list"},

        // Fixed definitions
        {"DistrictEntry", "Semt Tanımı", {350, 250}, Theme::Definition, Layout::Standard, Corner::None,
         "Liste|Çıkış", {}, {}, "district definition entry"},
        {"DistrictList", "Semt Listesi", {350, 250}, Theme::Definition, Layout::Standard, Corner::None,
         "Bul|Çıkış", {}, {}, "district list"},
        {"PropertyTypeEntry", "Emlak Tanımı", {350, 250}, Theme::Definition, Layout::Standard, Corner::None,
         "Liste|Çıkış", {}, {}, "property kind definition entry"},
        {"PropertyTypeList", "Emlak Listesi", {350, 250}, Theme::Definition, Layout::Standard, Corner::None,
         "Bul|Çıkış", {}, {}, "property kind list"},

        // Matching
        {"MatchScreen", "Karşılaştırma", {640, 480}, Theme::Match, Layout::Standard, Corner::MinimiseAndExit,
         "Bul|Yazdır|Yakın Sonuçlar|Aranacaklar", {}, {}, "matching one request"},
        {"MatchListScreen", "Karşılaştırma Listesi", {640, 480}, Theme::Match, Layout::Standard,
         Corner::MinimiseAndExit, "Yazdır|Kaydet|Çıkış", {}, {QRect(10, 402, 170, 24), QRect(194, 402, 170, 24)},
         "bulk comparison list; under the list \"Excel'e Aktar\" and \"CSV olarak kaydet\""},
        {"NearMissList", "Yakın Sonuçlar", {640, 480}, Theme::Match, Layout::Standard, Corner::MinimiseAndExit,
         "Çıkış", {}, {}, "listings that miss a request by a small margin, with their reasons"},
        {"MissingDataList", "Eksik Bilgili İlanlar", {640, 480}, Theme::Match, Layout::Standard,
         Corner::MinimiseAndExit, "Çıkış", {}, {}, "listings a search never finds for an empty field"},
        {"ListingCustomers", "İlana Uyan Müşteri Talepleri", {640, 480}, Theme::Match, Layout::Standard,
         Corner::MinimiseAndExit, "Çıkış", {}, {}, "the customer requests one listing satisfies"},
        {"ListingPicker", "İlandan Doldur", {640, 480}, Theme::Match, Layout::Standard, Corner::MinimiseAndExit,
         "Çıkış", {}, {}, "the available flats a closed deal can be filled from"},
        {"ShowingListingPicker", "Gösterilen Yere İlan Seç", {640, 480}, Theme::Match, Layout::Standard,
         Corner::MinimiseAndExit, "Çıkış", {}, {}, "the listings a showing's place can be filled from"},

        // Phone book
        {"PhoneBook", "Telefon Defteri", {597, 397}, Theme::Phone, Layout::PhoneBook, Corner::None, "", {}, {},
         "phone book menu window (rounded outline, corner icons drawn in)"},
        {"PhoneEntry", "Kayıt Girişi", {640, 380}, Theme::Phone, Layout::Standard, Corner::MinimiseAndExit, "",
         {}, {}, "phone book record entry"},
        {"PhoneSearch", "Arama", {640, 380}, Theme::Phone, Layout::Standard, Corner::MinimiseAndExit, "", {}, {},
         "phone book search"},
        {"PhoneEdit", "Düzeltme", {640, 380}, Theme::Phone, Layout::Standard, Corner::MinimiseAndExit, "", {}, {},
         "phone book search for correction"},
    };
    return table;
}

const std::vector<PieceArt> &pieceTable()
{
    static const std::vector<PieceArt> table = {
        {"main_menu_pressed.jpg", {200, 24}, Piece::MenuPressed, "", true,
         "shared pressed picture of the eight main menu items"},
        {"panel_kiralik_daireler.jpg", {180, 140}, Piece::Panel, "Kiralık Daireler", false, "menu panel 1"},
        {"panel_satilik_daireler.jpg", {180, 140}, Piece::Panel, "Satılık Daireler", false, "menu panel 2"},
        {"panel_kiralik_emlaklar.jpg", {180, 140}, Piece::Panel, "Kiralık Emlakların Girişi", false, "menu panel 3"},
        {"panel_satilik_emlaklar.jpg", {180, 140}, Piece::Panel, "Satılık Emlakların Girişi", false, "menu panel 4"},
        {"panel_musteri_talepleri.jpg", {180, 140}, Piece::Panel, "Müşteri Talepleri", false, "menu panel 5"},
        {"panel_arsa_arazi.jpg", {180, 140}, Piece::Panel, "Arsa Ve Arazi", false, "menu panel 6"},
        {"panel_sabit_tanimlari.jpg", {180, 140}, Piece::Panel, "Sabit Tanımları", false, "menu panel 7"},
        {"panel_hover_bar.jpg", {170, 30}, Piece::HoverBar, "", false,
         "hover bar behind a panel item (placed 8 px above the item's top)"},
        {"main_minimise_pressed.jpg", {28, 24}, Piece::MainCornerPressed, "minimise", true,
         "pressed look of the main window's \"Simge\" label"},
        {"main_exit_pressed.jpg", {28, 24}, Piece::MainCornerPressed, "close", true,
         "pressed look of the main window's \"Çıkış\" label"},
        {"icon_minimise.jpg", {18, 18}, Piece::Icon, "minimise", false, "top-right minimise icon"},
        {"icon_minimise_pressed.jpg", {18, 18}, Piece::Icon, "minimise", true, "its pressed picture"},
        {"icon_close.jpg", {18, 18}, Piece::Icon, "close", false, "top-right exit icon"},
        {"icon_close_pressed.jpg", {18, 18}, Piece::Icon, "close", true, "its pressed picture"},
        {"button_pressed.jpg", {90, 24}, Piece::LabelPressed, "", true,
         "pressed picture of a captioned label button (Liste, Yazdır, Çıkış, Bul ...)"},
        {"button_pressed_wide.jpg", {170, 24}, Piece::LabelPressed, "", true,
         "the same for long captions (Tümünü Göster, Emlak Sahibini Göster / Gösterme)"},
        {"owner_panel_stop.jpg", {200, 200}, Piece::OwnerPanel, "Emlak sahibi bilgileri gizli", false,
         "owner panel covering the owner's details on the listing entry screens"},
        {"caption_m2.jpg", {30, 16}, Piece::CaptionM2, "M²", false, "the M² caption picture"},
        {"phonebook_highlight.jpg", {180, 30}, Piece::PhoneHighlight, "", false,
         "highlight behind the phone book's menu items"},
        {"phone_search_button.jpg", {96, 28}, Piece::PhoneButton, "Ara", false,
         "search picture button of the phone-book search screens"},
        {"phone_showall_button.jpg", {96, 28}, Piece::PhoneButton, "Tümü", false,
         "show-all picture button of the phone-book search screens"},
    };
    return table;
}

QString backgroundFileName(const char *objectName)
{
    const QString name = QString::fromLatin1(objectName);
    QString out = QStringLiteral("bg_");
    for (int i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isUpper() && i > 0)
            out += QLatin1Char('_');
        out += c.toLower();
    }
    return out + QStringLiteral(".jpg");
}
