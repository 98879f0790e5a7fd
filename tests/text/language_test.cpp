#include "text/language.h"
#include "text/language_detector.h"
#include "text/page_language.h"

#include <gtest/gtest.h>
#include <string>

namespace vortaxel::text {
namespace {

struct DeclaredRow {
    std::string tag;
    std::string lang;
};

const DeclaredRow kDeclaredRows[] = {
    {"en", "en"},    {"en-GB", "en"},  {"EN_us", "en"},    {" de ", "de"},   {"zh-Hant-TW", "zh"},
    {"pt-BR", "pt"}, {"de, en", "de"}, {"fr;q=0.9", "fr"}, {"iw", "he"},     {"nb-NO", "no"},
    {"nn", "no"},    {"in", "id"},     {"", ""},           {"und", ""},      {"x-klingon", ""},
    {"english", ""}, {"e", ""},        {"-en", ""},        {"\xff\xfe", ""}, {"zz", ""},
};

TEST(DeclaredLanguage, TakesTheKnownPrimarySubtag) {
    for (const DeclaredRow& row : kDeclaredRows) {
        SCOPED_TRACE(row.tag);
        EXPECT_EQ(DeclaredLanguage(row.tag), row.lang);
    }
}

struct DetectRow {
    const char* lang;
    const char* text;
};

// A sentence or two each: about what a page's title and first paragraph give.
const DetectRow kDetectRows[] = {
    {"en", "The package manager downloads the files and installs them in the right order, so that every "
           "dependency is met before the program starts."},
    {"de", "Der Paketmanager lädt die Dateien herunter und installiert sie in der richtigen Reihenfolge, "
           "damit jede Abhängigkeit erfüllt ist, bevor das Programm startet."},
    {"fr", "Le gestionnaire de paquets télécharge les fichiers et les installe dans le bon ordre, afin que "
           "chaque dépendance soit satisfaite avant le démarrage du programme."},
    {"es", "El gestor de paquetes descarga los archivos y los instala en el orden correcto, para que cada "
           "dependencia se cumpla antes de que el programa se inicie."},
    {"it", "Il gestore dei pacchetti scarica i file e li installa nell'ordine giusto, in modo che ogni "
           "dipendenza sia soddisfatta prima che il programma si avvii."},
    {"nl", "De pakketbeheerder downloadt de bestanden en installeert ze in de juiste volgorde, zodat aan elke "
           "afhankelijkheid is voldaan voordat het programma start."},
    {"pt", "O gestor de pacotes descarrega os ficheiros e instala-os na ordem certa, para que cada dependência "
           "seja satisfeita antes de o programa arrancar."},
    {"sv", "Pakethanteraren laddar ner filerna och installerar dem i rätt ordning, så att varje beroende är "
           "uppfyllt innan programmet startar."},
    {"pl", "Menedżer pakietów pobiera pliki i instaluje je we właściwej kolejności, tak aby każda zależność "
           "była spełniona przed uruchomieniem programu."},
    {"ru", "Менеджер пакетов загружает файлы и устанавливает их в правильном порядке, чтобы все зависимости "
           "были удовлетворены до запуска программы."},
    {"zh", "软件包管理器下载文件并按正确的顺序安装它们，以便在程序启动之前满足每个依赖关系。"},
    {"ja", "パッケージマネージャーはファイルをダウンロードし、正しい順序でインストールします。"},
    {"th", "ตัวจัดการแพ็กเกจจะดาวน์โหลดไฟล์และติดตั้งตามลำดับที่ถูกต้อง"},
    {"ar", "يقوم مدير الحزم بتنزيل الملفات وتثبيتها بالترتيب الصحيح، بحيث يتم استيفاء كل تبعية قبل بدء البرنامج."},
    {"ko", "패키지 관리자는 파일을 다운로드하고 올바른 순서로 설치합니다."},
    {"he", "מנהל החבילות מוריד את הקבצים ומתקין אותם בסדר הנכון, כך שכל תלות מתקיימת לפני שהתוכנית מתחילה."},
};

TEST(DetectLanguage, NamesTheLanguageOfAShortText) {
    for (const DetectRow& row : kDetectRows) {
        SCOPED_TRACE(row.lang);
        EXPECT_EQ(DetectLanguage(row.text).code, row.lang);
    }
}

TEST(DetectLanguage, NamesNoneWhereTheTextSaysNothing) {
    for (const char* text : {"", "12345 67890", "¶ [1] -- ...", "\xEF\xBF\xBD\xEF\xBF\xBD"}) {
        SCOPED_TRACE(text);
        const DetectedLanguage found = DetectLanguage(text);
        EXPECT_EQ(found.code, "");
        EXPECT_FALSE(found.reliable);
    }
}

TEST(DetectLanguage, ReadsOnlyItsSampleAndCutsItAtACharacter) {
    std::string text;
    while (text.size() < 4 * kDetectionSampleBytes) {
        text += "Менеджер пакетов загружает файлы и устанавливает их в правильном порядке. ";
    }
    const DetectedLanguage found = DetectLanguage(text);
    EXPECT_EQ(found.code, "ru");
    EXPECT_TRUE(found.reliable);
    EXPECT_LE(found.textBytes, static_cast<int>(kDetectionSampleBytes));
}

struct ChooseRow {
    const char* name;
    std::string declared;
    DetectedLanguage detected;
    std::string lang;
};

const ChooseRow kChooseRows[] = {
    {"declared and agreeing", "en", {"en", true, 99, 5000}, "en"},
    {"declared, nothing detected", "en", {"", false, 0, 0}, "en"},
    {"declared, other language unreliable", "en", {"de", false, 99, 5000}, "en"},
    {"declared, other language in a short text", "en", {"de", true, 99, kOverrulingTextBytes - 1}, "en"},
    {"declared, other language in a mixed text", "en", {"de", true, kOverrulingPercent - 1, 5000}, "en"},
    {"declared, text clearly in another", "en", {"de", true, kOverrulingPercent, kOverrulingTextBytes}, "de"},
    {"undeclared, detected", "", {"fr", false, 40, 20}, "fr"},
    {"undeclared, nothing detected", "", {"", false, 0, 0}, ""},
};

TEST(ChoosePageLanguage, TheDeclaredLanguageCountsUnlessTheTextClearlyDenies) {
    for (const ChooseRow& row : kChooseRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ChoosePageLanguage(row.declared, row.detected), row.lang);
    }
}

} // namespace
} // namespace vortaxel::text
