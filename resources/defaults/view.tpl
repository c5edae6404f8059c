<!DOCTYPE html>
<html>
<head>
<meta charset="utf-8">
<title>[[title]]</title>
<style>
  body { font-family: "DejaVu Sans", "Segoe UI", sans-serif; font-size: 14px; line-height: 1.55;
         color: #222; background: #fff; margin: 0; }
  header { padding: 14px 22px 10px; border-bottom: 1px solid #e3e3e3; background: #f7f8fa; }
  h1 { font-size: 19px; margin: 0 0 6px; font-weight: 600; }
  h1 a { color: #1a4f8b; text-decoration: none; }
  h1 a:hover { text-decoration: underline; }
  .meta { color: #777; font-size: 12px; }
  article { padding: 16px 22px 28px; max-width: 52em; }
  article img { max-width: 100%; height: auto; }
  article a { color: #1a4f8b; }
  footer { color: #aaa; font-size: 11px; padding: 0 22px 16px; }
</style>
</head>
<body>
<header>
  <h1><a href="[[link]]">[[title]]</a></h1>
  <div class="meta">[[date]] &middot; [[time]]</div>
</header>
<article>
[[desc]]
</article>
<footer>Shown by [[app]]</footer>
</body>
</html>
