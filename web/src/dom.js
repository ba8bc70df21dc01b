// Elements made from text, never from markup: a file's names stay text.

// A `tag` element of class `className` (none when empty) holding `text`.
export function el(tag, className, text) {
  const node = document.createElement(tag);
  if (className) node.className = className;
  if (text !== undefined) node.textContent = text;
  return node;
}
