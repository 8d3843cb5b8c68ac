#include "context/AppContext.h"

#include "ui/Copy.h"

void runAction(const AppContext& context, const QString& action, bool force, std::function<void(bool ok)> completion) {
    // The context outlives every area and their commands; the footer is written only while it still exists.
    const AppContext* target = &context;
    context.commands.send(action, force, std::nullopt, {},
                          [target, completion = std::move(completion)](bool ok, const std::optional<QString>& message) {
                              if (!ok) {
                                  target->feedback.setFooterText(message.value_or(
                                      target->copy.text("操作を完了できませんでした", "Action could not finish")));
                              }
                              if (completion) {
                                  completion(ok);
                              }
                          });
}
