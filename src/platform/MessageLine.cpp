#include "platform/MessageLine.h"

namespace orb {

MessageLine::MessageLine() : label_(new QLabel)
{
    label_->setObjectName("LaChirp(0)");
    label_->setWordWrap(true);
    label_->setMinimumHeight(48);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

}  // namespace orb
