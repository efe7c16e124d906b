#include "app/main/Main.h"
#include "app/errors/TarvoApplication.h"
#include "ui/Translations.h"

int main(int argc, char *argv[])
{
    errors::TarvoApplication application(argc, argv);
    ui::installItalianTranslations(application);
    Main();
    return application.exec();
}
