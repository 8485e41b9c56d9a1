#pragma once

#include <QObject>
#include <vector>

class ImageControl;

// A control array of image controls indexed from 0. Element 0 is the control laid out with the
// window; it always exists and is never destroyed. Other elements are created and destroyed at
// run time: a created element is a sibling of element 0 with its position, size and stretch,
// hidden and holding no picture. The array owns nothing itself: the elements belong to the
// parent widget of element 0 until unload() destroys them.
class ImageArray : public QObject {
    Q_OBJECT

public:
    explicit ImageArray(ImageControl* element0, QObject* parent = nullptr);

    // The element with this index, or nullptr when it does not exist.
    ImageControl* at(int index) const;
    bool exists(int index) const { return at(index) != nullptr; }

    // Creates the element when it does not exist yet and returns it (the existing one otherwise).
    // A negative index creates nothing and returns nullptr.
    ImageControl* load(int index);

    // Destroys the element when it exists. Element 0 is never destroyed.
    void unload(int index);

    // How many elements exist, and the highest index that exists.
    int count() const;
    int upperBound() const;

private:
    std::vector<ImageControl*> m_elements;
};
