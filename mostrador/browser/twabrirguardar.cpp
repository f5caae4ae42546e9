#include "twabrirguardar.h"

#include "filenamelabel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

TWAbrirGuardar::TWAbrirGuardar(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      LBTitulo(new QLabel(QStringLiteral("¿Desea abrir o guardar este fichero?"), this)),
      LBNombre(new QLabel(QStringLiteral("Nombre"), this)), LBNbFile(new FileNameLabel(this)),
      LBTipo(new QLabel(QStringLiteral("Tipo fichero"), this)), LBTipoFile(new QLabel(this)),
      Button1(new QPushButton(QStringLiteral("Abrir"), this)), Button2(new QPushButton(QStringLiteral("Guardar"), this)),
      Button3(new QPushButton(QStringLiteral("Cancelar"), this))
{
    setWindowTitle(QStringLiteral("Descargar fichero"));
    // The server names the file and its type: shown as written, never read as markup.
    LBTipoFile->setTextFormat(Qt::PlainText);
    QFont title = LBTitulo->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.25);
    LBTitulo->setFont(title);

    auto *fields = new QGridLayout;
    fields->addWidget(LBNombre, 0, 0);
    fields->addWidget(LBNbFile, 0, 1);
    fields->addWidget(LBTipo, 1, 0);
    fields->addWidget(LBTipoFile, 1, 1);
    fields->setColumnStretch(1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *button : {Button1, Button2, Button3})
        buttons->addWidget(button);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LBTitulo);
    layout->addLayout(fields);
    layout->addStretch();
    layout->addLayout(buttons);

    const auto answer = [this](TOpcionAbrirGuardar opcion) {
        opcionSeleccionada = opcion;
        accept();
    };
    connect(Button1, &QPushButton::clicked, this, [answer] { answer(mtAbrir); });
    connect(Button2, &QPushButton::clicked, this, [answer] { answer(mtGuardar); });
    connect(Button3, &QPushButton::clicked, this, [answer] { answer(mtCancelar); });
    setFixedSize(424, 164);
}

void TWAbrirGuardar::showEvent(QShowEvent *event)
{
    LBNbFile->setFileName(NbFile);
    LBTipoFile->setText(TypeFile);
    QDialog::showEvent(event);
}
